#include "app/forms.h"
#include "app/tfrmnubivumain.h"
#include "datalist/sharedstate.h"
#include "showfixture.h"
#include "slideshow/filloptions.h"
#include "slideshow/tfrmoptiondlg.h"
#include "testrunner.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace nubivu;

class TestOptionDlg : public QObject {
    Q_OBJECT

    static QString boxes() {
        // checked/enabled of both boxes and what the slide show will read
        auto bit = [](bool b) { return b ? QLatin1Char('1') : QLatin1Char('0'); };
        const TfrmOptionDlg* d = frmOptionDlg;
        return QString() + bit(d->chkbNulGazo->isChecked()) +
               bit(d->chkbSaveGazoData->isChecked()) + bit(d->chkbSaveGazoData->isEnabled()) +
               QLatin1Char('/') + bit(CurrentFillOptions().fillEmpty) +
               bit(CurrentFillOptions().writeBack);
    }

private Q_SLOTS:
    void init() { test::ShowFixture::Fresh(); }
    void cleanup() { DestroyForms(); }

    void layoutIsNotScaled() {
        TfrmOptionDlg* d = frmOptionDlg;
        QCOMPARE(d->windowTitle(), QStringLiteral("オプション"));
        QCOMPARE(d->size(), QSize(304, 107));
        QCOMPARE(d->chkbNulGazo->geometry(), QRect(16, 16, 265, 17));
        QCOMPARE(d->chkbSaveGazoData->geometry(), QRect(16, 40, 265, 17));
        QCOMPARE(d->bbtnOK->geometry(), QRect(112, 72, 75, 25));
        QCOMPARE(d->chkbNulGazo->text(),
                 QStringLiteral("データがない場合は直前のデータを表示する。"));
        QCOMPARE(d->chkbSaveGazoData->text(),
                 QStringLiteral("補った画像データを編集画面に反映する。"));
        QVERIFY(d->bbtnOK->isDefault());
        QCOMPARE(d->font().pixelSize(), 12);
    }

    void boxesKeepTheirInvariant() {
        frmNubivuMain->show();
        frmNubivuMain->N2Click();
        QVERIFY(frmOptionDlg->isVisible());
        QVERIFY(!frmNubivuMain->isEnabled());
        QCOMPARE(boxes(), QStringLiteral("000/00")); // write-back greyed on opening

        frmOptionDlg->chkbNulGazo->click();
        QCOMPARE(boxes(), QStringLiteral("101/10"));
        frmOptionDlg->chkbSaveGazoData->click();
        QCOMPARE(boxes(), QStringLiteral("111/11"));
        // Unchecking the fill-in unchecks and greys the write-back in one step.
        frmOptionDlg->chkbNulGazo->click();
        QCOMPARE(boxes(), QStringLiteral("000/00"));
        frmOptionDlg->chkbNulGazo->click();
        frmOptionDlg->chkbSaveGazoData->click();

        // Escape is no cancel; the close box keeps the boxes as they are.
        QTest::keyClick(frmOptionDlg, Qt::Key_Escape);
        QVERIFY(frmOptionDlg->isVisible());
        frmOptionDlg->close();
        QVERIFY(!frmOptionDlg->isVisible());
        QVERIFY(frmNubivuMain->isEnabled());
        QCOMPARE(boxes(), QStringLiteral("111/11"));

        frmNubivuMain->N2->trigger();
        QCOMPARE(boxes(), QStringLiteral("111/11"));
        QVERIFY(!frmNubivuMain->isEnabled());
        QTest::keyClick(frmOptionDlg, Qt::Key_Return); // the default button
        QVERIFY(!frmOptionDlg->isVisible());
        QVERIFY(frmNubivuMain->isEnabled());
    }

    void everyStartHasBothOff() {
        frmOptionDlg->chkbNulGazo->click();
        QCOMPARE(boxes(), QStringLiteral("101/10"));
        DestroyForms();
        CreateForms(1024);
        QCOMPARE(boxes(), QStringLiteral("001/00"));
    }
};

NUBIVU_TEST(TestOptionDlg)
#include "tst_optiondlg.moc"
