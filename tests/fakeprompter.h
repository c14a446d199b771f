#pragma once
// Answers the program's questions in tests, in the order they are asked,
// and remembers what was asked. Handed to the windows in place of the real one.
#include "ui/prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <deque>
#include <functional>

namespace nubivu::test {

class FakePrompter : public Prompter {
public:
    std::deque<int> answers;            // button indices for Ask
    std::deque<QString> files;          // chosen files; an empty string cancels
    std::function<int(QDialog&)> modal; // runs a modal window; default: rejected
    std::vector<MessageRequest> asked;
    std::vector<QString> fileDialogs; // titles of the dialogs run
    int beeps = 0;
    int modals = 0;
    // Runs before a question is answered, as a message box runs the event
    // loop while it is open.
    std::function<void()> whileAsking;

    int ask(const MessageRequest& request) override {
        if (whileAsking) whileAsking();
        asked.push_back(request);
        if (answers.empty())
            return request.escapeButton >= 0 ? request.escapeButton
                                             : int(request.buttons.size()) - 1;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    bool runFileDialog(QFileDialog& dialog) override {
        fileDialogs.push_back(dialog.windowTitle());
        if (files.empty() || files.front().isEmpty()) {
            if (!files.empty()) files.pop_front();
            return false;
        }
        dialog.selectFile(files.front());
        files.pop_front();
        return true;
    }
    int runModal(QDialog& dialog) override {
        ++modals;
        return modal ? modal(dialog) : int(QDialog::Rejected);
    }
    void beep() override { ++beeps; }
};

} // namespace nubivu::test
