#include "app/mainwindow.h"
#include "showfixture.h"
#include "slideshow/optionsdialog.h"
#include "testrunner.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestOptionDlg : public QObject {
    Q_OBJECT

    static QString boxes() {
        // checked/enabled of both boxes and what the slide show will read
        auto bit = [](bool b) { return b ? QLatin1Char('1') : QLatin1Char('0'); };
        const OptionsDialog* d = optionsForm();
        return QString() + bit(child<QCheckBox>(d, "chkbNulGazo")->isChecked()) +
               bit(child<QCheckBox>(d, "chkbSaveGazoData")->isChecked()) +
               bit(child<QCheckBox>(d, "chkbSaveGazoData")->isEnabled()) + QLatin1Char('/') +
               bit(show().fillOptions().fillEmpty) + bit(show().fillOptions().writeBack);
    }

private Q_SLOTS:
    void init() { test::ShowFixture::fresh(); }
    void cleanup() { stopWindows(); }

    void layoutIsNotScaled() {
        OptionsDialog* d = optionsForm();
        QCOMPARE(d->windowTitle(), QStringLiteral("オプション"));
        QCOMPARE(d->size(), QSize(304, 107));
        QCOMPARE(child<QCheckBox>(d, "chkbNulGazo")->geometry(), QRect(16, 16, 265, 17));
        QCOMPARE(child<QCheckBox>(d, "chkbSaveGazoData")->geometry(), QRect(16, 40, 265, 17));
        QCOMPARE(child<QPushButton>(d, "bbtnOK")->geometry(), QRect(112, 72, 75, 25));
        QCOMPARE(child<QCheckBox>(d, "chkbNulGazo")->text(),
                 QStringLiteral("データがない場合は直前のデータを表示する。"));
        QCOMPARE(child<QCheckBox>(d, "chkbSaveGazoData")->text(),
                 QStringLiteral("補った画像データを編集画面に反映する。"));
        QVERIFY(child<QPushButton>(d, "bbtnOK")->isDefault());
        QCOMPARE(d->font().pixelSize(), 12);
    }

    void boxesKeepTheirInvariant() {
        mainForm()->show();
        mainForm()->openOptions();
        QVERIFY(optionsForm()->isVisible());
        QVERIFY(!mainForm()->isEnabled());
        QCOMPARE(boxes(), QStringLiteral("000/00")); // write-back greyed on opening

        child<QCheckBox>(optionsForm(), "chkbNulGazo")->click();
        QCOMPARE(boxes(), QStringLiteral("101/10"));
        child<QCheckBox>(optionsForm(), "chkbSaveGazoData")->click();
        QCOMPARE(boxes(), QStringLiteral("111/11"));
        // Unchecking the fill-in unchecks and greys the write-back in one step.
        child<QCheckBox>(optionsForm(), "chkbNulGazo")->click();
        QCOMPARE(boxes(), QStringLiteral("000/00"));
        child<QCheckBox>(optionsForm(), "chkbNulGazo")->click();
        child<QCheckBox>(optionsForm(), "chkbSaveGazoData")->click();

        // Escape is no cancel; the close box keeps the boxes as they are.
        QTest::keyClick(optionsForm(), Qt::Key_Escape);
        QVERIFY(optionsForm()->isVisible());
        optionsForm()->close();
        QVERIFY(!optionsForm()->isVisible());
        QVERIFY(mainForm()->isEnabled());
        QCOMPARE(boxes(), QStringLiteral("111/11"));

        child<QAction>(mainForm(), "N2")->trigger();
        QCOMPARE(boxes(), QStringLiteral("111/11"));
        QVERIFY(!mainForm()->isEnabled());
        QTest::keyClick(optionsForm(), Qt::Key_Return); // the default button
        QVERIFY(!optionsForm()->isVisible());
        QVERIFY(mainForm()->isEnabled());
    }

    void everyStartHasBothOff() {
        child<QCheckBox>(optionsForm(), "chkbNulGazo")->click();
        QCOMPARE(boxes(), QStringLiteral("101/10"));
        stopWindows();
        startWindows(1024);
        QCOMPARE(boxes(), QStringLiteral("001/00"));
    }
};

NUBIVU_TEST(TestOptionDlg)
#include "tst_optiondlg.moc"
