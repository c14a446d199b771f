#include "app/mainwindow.h"
#include "showfixture.h"
#include "sitephotos/skywindow.h"
#include "testrunner.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace nubivu;
using namespace nubivu::test;

class TestTitleEditor : public QObject {
    Q_OBJECT

    struct Title {
        QWidget* window;
        QLabel* label;
        QLineEdit* edit;
    };

    static Title title(const QString& window, const QString& label, const QString& edit) {
        QWidget* w = window == QLatin1String("main") ? static_cast<QWidget*>(mainForm())
                                                     : static_cast<QWidget*>(skyForm());
        return {w, w->findChild<QLabel*>(label), w->findChild<QLineEdit*>(edit)};
    }

    static void open(const Title& t) {
        QTest::mouseDClick(t.label, Qt::LeftButton);
        QVERIFY(t.edit->isVisible());
        QCOMPARE(t.edit->text(), t.label->text());
        QVERIFY(t.edit->hasFocus());
        // Selected, so that typing replaces the old title.
        QCOMPARE(t.edit->selectedText(), t.label->text());
    }

private Q_SLOTS:
    void init() { test::ShowFixture::fresh(); }
    void cleanup() { stopWindows(); }

    void allSevenTitles_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("caption");
        QTest::newRow("cloud") << "main"
                               << "lblKumotitle"
                               << "edtKumoTitle"
                               << "雲の写真";
        QTest::newRow("weather map") << "main"
                                     << "lblNubivuzuTitle"
                                     << "edtNubivuzuTitle"
                                     << "天気図";
        QTest::newRow("rain") << "main"
                              << "lblAmeTitle"
                              << "edtAmetitle"
                              << "雨の分布";
        QTest::newRow("north") << "sky"
                               << "lblNorth"
                               << "edtNorthTitle"
                               << "北の空";
        QTest::newRow("south") << "sky"
                               << "lblSouth"
                               << "edtSouthTitle"
                               << "南の空";
        QTest::newRow("west") << "sky"
                              << "lblWest"
                              << "edtWestTitle"
                              << "西の空";
        QTest::newRow("east") << "sky"
                              << "lblEast"
                              << "edtEastTitle"
                              << "東の空";
    }
    void allSevenTitles() {
        QFETCH(QString, window);
        QFETCH(QString, label);
        QFETCH(QString, edit);
        QFETCH(QString, caption);
        const Title t = title(window, label, edit);
        QVERIFY(t.label && t.edit);
        t.window->show();
        QVERIFY(test::ShowFixture::activate(t.window));
        QCOMPARE(t.label->text(), caption);
        QVERIFY(t.edit->isHidden());
        // The box lies over its label and lets a Japanese input method work.
        QCOMPARE(t.edit->pos(), t.label->pos());
        QVERIFY(t.edit->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!(t.edit->inputMethodHints() & (Qt::ImhPreferLatin | Qt::ImhLatinOnly)));

        // Escape drops the text and leaves the saved flag alone.
        open(t);
        t.edit->insert(QStringLiteral("積乱雲")); // as an input method commits it
        QTest::keyClick(t.edit, Qt::Key_Escape);
        QVERIFY(t.edit->isHidden());
        QCOMPARE(t.label->text(), caption);
        QVERIFY(theLesson().isSaved());

        // Moving the focus on drops it too, and the box is empty afterwards.
        open(t);
        QTest::keyClicks(t.edit, QStringLiteral("xyz"));
        QTest::keyClick(t.edit, Qt::Key_Tab);
        QVERIFY(t.edit->isHidden());
        QVERIFY(t.edit->text().isEmpty());
        QCOMPARE(t.label->text(), caption);
        QVERIFY(theLesson().isSaved());

        // Enter takes the text, the empty text included, and marks the list unsaved.
        open(t);
        t.edit->clear();
        QTest::keyClick(t.edit, Qt::Key_Return);
        QVERIFY(t.edit->isHidden());
        QCOMPARE(t.label->text(), QString());
        QVERIFY(!theLesson().isSaved());

        theLesson().setSaved(true);
        open(t);
        t.edit->insert(QStringLiteral("積乱雲, "));
        QTest::keyClicks(t.edit, QStringLiteral("\"A\""));
        QTest::keyClick(t.edit, Qt::Key_Enter);
        QCOMPARE(t.label->text(), QStringLiteral("積乱雲, \"A\""));
        QVERIFY(!theLesson().isSaved());

        // Unchanged text committed still counts as a change.
        theLesson().setSaved(true);
        open(t);
        QTest::keyClick(t.edit, Qt::Key_Return);
        QCOMPARE(t.label->text(), QStringLiteral("積乱雲, \"A\""));
        QVERIFY(!theLesson().isSaved());
    }

    void openingAnotherTitleDropsTheFirst() {
        skyForm()->show();
        QVERIFY(test::ShowFixture::activate(skyForm()));
        const Title north = title("sky", "lblNorth", "edtNorthTitle");
        const Title south = title("sky", "lblSouth", "edtSouthTitle");
        open(north);
        QTest::keyClicks(north.edit, QStringLiteral("abc"));
        open(south);
        QVERIFY(north.edit->isHidden());
        QVERIFY(north.edit->text().isEmpty());
        QCOMPARE(north.label->text(), QStringLiteral("北の空"));

        // The close button takes the focus: the open edit ends unsaved.
        QTest::keyClicks(south.edit, QStringLiteral("def"));
        QTest::mouseClick(child<QPushButton>(skyForm(), "BitBtn1"), Qt::LeftButton);
        QVERIFY(!skyForm()->isVisible());
        QCOMPARE(south.label->text(), QStringLiteral("南の空"));
        QVERIFY(south.edit->text().isEmpty());
        QVERIFY(theLesson().isSaved());

        // So does the window's close box, which takes no focus: the edit is
        // gone when the window opens again.
        skyForm()->show();
        QVERIFY(test::ShowFixture::activate(skyForm()));
        open(north);
        QTest::keyClicks(north.edit, QStringLiteral("ghi"));
        skyForm()->windowHandle()->close();
        QVERIFY(!skyForm()->isVisible());
        skyForm()->show();
        QVERIFY(north.edit->isHidden());
        QVERIFY(north.edit->text().isEmpty());
        QCOMPARE(north.label->text(), QStringLiteral("北の空"));
        QVERIFY(theLesson().isSaved());
    }

    void leavingForAnotherWindowKeepsTheEditOpen() {
        mainForm()->show();
        skyForm()->show();
        QVERIFY(test::ShowFixture::activate(mainForm()));
        const Title cloud = title("main", "lblKumotitle", "edtKumoTitle");
        open(cloud);
        cloud.edit->clear();
        cloud.edit->insert(QStringLiteral("くも"));
        QVERIFY(test::ShowFixture::activate(skyForm()));
        QVERIFY(cloud.edit->isVisible());
        QVERIFY(test::ShowFixture::activate(mainForm()));
        QTest::keyClick(cloud.edit, Qt::Key_Return);
        QCOMPARE(cloud.label->text(), QStringLiteral("くも"));
    }
};

NUBIVU_TEST(TestTitleEditor)
#include "tst_titleeditor.moc"
