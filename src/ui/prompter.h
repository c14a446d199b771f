#pragma once
// The one seam through which the program asks the user anything: message
// boxes, file dialogs, modal windows and the beep. The application hands its
// prompter to the windows; tests hand them one that answers instead of a person.
#include <QString>
#include <QStringList>

class QDialog;
class QFileDialog;

namespace nubivu {

enum class MessageIcon { None, Information, Warning, Stop };

struct MessageRequest {
    QString caption;
    QString text;
    QString detail; // a second line below the text, such as the file concerned
    MessageIcon icon = MessageIcon::None;
    QStringList buttons; // texts, left to right
    int defaultButton = 0;
    int escapeButton = -1; // the answer for Escape and the close button; -1: last button
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // The index of the chosen button.
    virtual int ask(const MessageRequest& request) = 0;
    // Runs a prepared file dialog; true when the user confirmed it.
    virtual bool runFileDialog(QFileDialog& dialog) = 0;
    // Runs a window modally; its result code.
    virtual int runModal(QDialog& dialog) = 0;
    virtual void beep() = 0;
};

// The real one: Qt's boxes and dialogs.
class WidgetPrompter : public Prompter {
public:
    int ask(const MessageRequest& request) override;
    bool runFileDialog(QFileDialog& dialog) override;
    int runModal(QDialog& dialog) override;
    void beep() override;
};

} // namespace nubivu
