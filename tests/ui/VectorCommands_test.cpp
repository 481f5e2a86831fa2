// An image window's vector commands: saving SVG and PDF from its settings and text position,
// printing through Qt's printer to a PDF file, Ctrl+P, and failures reported as saves are.
#include "RunningProgram.h"
#include "SmallFileSystem.h"

#include "ui/image/ImagePrinting.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::TestFiles;

namespace {

class VectorCommands : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->Text1[0]->setText(QStringLiteral("文字"));
    }

    ImageFrm* create() { return newImageWindow(); }

    // Poppler's drawing of the first page, or a null image without pdftoppm.
    static QImage drawnPdf(const QString& pdf, int dpi)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (tool.isEmpty())
            return {};
        QProcess p;
        p.start(tool, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                       pdf, pdf + QStringLiteral("-page")});
        p.waitForFinished(60000);
        return QImage(pdf + QStringLiteral("-page.png")).convertToFormat(QImage::Format_RGB32);
    }
};

}  // namespace

TEST_F(VectorCommands, SaveDialogOffersSvgAndPdfAfterJpeg)
{
    ImageFrm* image = create();
    dialogs.cancelFile();
    EXPECT_FALSE(image->MNU_F_S_Click());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].filter.startsWith(
        QStringLiteral("ビットマップ(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|PNG(*.png)|*.png|SVG(*.svg)|*.svg|PDF(*.pdf)|*.pdf|アイコン(*.ico)|")));
}

TEST_F(VectorCommands, SavedSvgAndPdfHoldTheLetteringWhereTheCanvasShowsIt)
{
    ImageFrm* image = create();
    image->textX = 150;
    image->textY = 90;
    const QSize canvas = image->Picture1->surface().size();
    for (const char* name : {"v.svg", "v.PDF"}) {
        image->imageSaved = false;
        dialogs.chooseFile(files.path(QString::fromLatin1(name)));
        ASSERT_TRUE(image->MNU_F_S_Click()) << name;
        EXPECT_TRUE(image->imageSaved) << name;
    }
    const QByteArray svg = TestFiles::bytes(files.path(QStringLiteral("v.svg")));
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(canvas.width()).arg(canvas.height()).toUtf8()));
    EXPECT_TRUE(svg.contains("<title>文字</title>"));
    EXPECT_TRUE(svg.contains("<g id=\"ring-3\""));  // the start-up type: triple outline
    EXPECT_TRUE(TestFiles::bytes(files.path(QStringLiteral("v.PDF"))).startsWith("%PDF-"));

    // The lettering sits at the window's text position: the face's polygons agree.
    const VectorLettering v = image->vectorLettering();
    const QRectF face = v.layers.back().path().boundingRect();
    EXPECT_NEAR(face.center().x(), 150, 30);
    EXPECT_LT(face.bottom(), 90 + 20);
    EXPECT_GT(face.bottom(), 90 - 10);
}

// The code table inserts control characters; XML 1.0 cannot hold them, so the title was
// not well-formed and other programs refused the file.
TEST_F(VectorCommands, AnSvgOfATextWithControlCharactersIsWellFormedXml)
{
    QString text = QStringLiteral("A");
    for (char16_t code = 1; code <= 31; ++code)
        text += QChar(code) + QStringLiteral("<&>\"");
    main->Text1[0]->setText(text);
    ImageFrm* image = create();
    const QString saved = files.path(QStringLiteral("window.svg"));
    dialogs.chooseFile(saved);
    ASSERT_TRUE(image->MNU_F_S_Click());
    const QString rendered = files.path(QStringLiteral("render.svg"));
    QProcess render;
    render.start(QStringLiteral(KALVETRA_RENDER_EXE), {"--text", text, "-o", rendered});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();

    for (const QString& file : {saved, rendered}) {
        QXmlStreamReader xml(TestFiles::bytes(file));
        QString read;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"title")
                read = xml.readElementText();
        EXPECT_FALSE(xml.hasError()) << file.toStdString() << ": " << xml.errorString().toStdString();
        // Every character but the controls XML cannot hold is kept.
        EXPECT_TRUE(read.startsWith(u'A')) << file.toStdString();
        EXPECT_EQ(read.count(QStringLiteral("<&>\"")), 31) << file.toStdString();
    }
}

TEST_F(VectorCommands, AFailedVectorSaveIsReportedAndLeavesTheImageUnsaved)
{
    ImageFrm* image = create();
    const QString out = files.path(QStringLiteral("missing/x.svg"));
    dialogs.chooseFile(out);
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_FALSE(image->imageSaved);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージ保存(Error:76)"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("パスが見つかりません。"));
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(VectorCommands, CtrlPOpensThePrintDialogWhileTheImageWindowIsActive)
{
    ImageFrm* image = create();
    int shown = 0;
    image->printDialog = [&](QWidget* parent, const VectorLettering& lettering) {
        ++shown;
        EXPECT_EQ(parent, image);
        EXPECT_EQ(lettering.canvas, image->Picture1->surface().size());
        return std::optional<imagefile::SaveResult>();
    };
    program->frame().show();
    QApplication::setActiveWindow(&program->frame());
    // Activating the window (as a click on it or creating it does) is enough: the key goes to
    // whatever has the focus then.
    main->Text1[0]->setFocus();
    program->frame().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(image->parentWidget()));
    QApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(image->MNU_F_P->text(), QStringLiteral("印刷(&P)..."));
    EXPECT_TRUE(image->menus().front()->actions().contains(image->MNU_F_P));
}

TEST_F(VectorCommands, AFailedPrintIsReportedAsAFailedSaveIs)
{
    ImageFrm* image = create();
    image->printDialog = [](QWidget*, const VectorLettering&) {
        return std::optional<imagefile::SaveResult>({482, QStringLiteral("プリンタ エラーです。")});
    };
    image->MNU_F_P->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージ印刷(Error:482)"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("プリンタ エラーです。"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(VectorCommands, PrintingToAPdfFileDrawsTheLetteringCentredAtEitherSize)
{
    ImageFrm* image = create();
    const VectorLettering lettering = image->vectorLettering();
    for (const PrintScale scale : {PrintScale::FitPage, PrintScale::ActualSize}) {
        const QString out = files.path(scale == PrintScale::FitPage ? QStringLiteral("fit.pdf") : QStringLiteral("one.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        ASSERT_FALSE(printLettering(printer, lettering, scale).has_value());

        // Where the canvas lands: centred, the page's width or 1/96 inch a pixel.
        const QRectF placed = printedCanvasRect(printer, lettering.canvas, scale);
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        EXPECT_NEAR(placed.center().x(), page.width() / 2, 1);
        EXPECT_NEAR(placed.center().y(), page.height() / 2, 1);
        if (scale == PrintScale::ActualSize) {
            EXPECT_NEAR(placed.width(), lettering.canvas.width() * printer.resolution() / 96.0, 0.01);
        } else {
            EXPECT_TRUE(std::abs(placed.width() - page.width()) < 1 || std::abs(placed.height() - page.height()) < 1);
        }

        const QImage drawn = drawnPdf(out, 96);
        if (drawn.isNull())
            GTEST_SKIP() << "pdftoppm is not installed";
        // The canvas's background colour fills a box in the middle of the page, of the
        // canvas's shape (at 96 dpi: its own size at the true size), with the lettering on it.
        QRect box;
        bool letteringShown = false;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                if (drawn.pixel(x, y) == qRgb(130, 130, 255))
                    box |= QRect(x, y, 1, 1);
                letteringShown = letteringShown || drawn.pixel(x, y) == qRgb(255, 0, 0);
            }
        EXPECT_TRUE(letteringShown);
        EXPECT_NEAR(box.center().x(), drawn.width() / 2.0, 3);
        EXPECT_NEAR(box.center().y(), drawn.height() / 2.0, 3);
        EXPECT_NEAR(static_cast<double>(box.width()) / box.height(),
                    static_cast<double>(lettering.canvas.width()) / lettering.canvas.height(), 0.05);
        if (scale == PrintScale::ActualSize) {
            EXPECT_NEAR(box.width(), lettering.canvas.width(), 2);
        }
    }
}

TEST_F(VectorCommands, PrintingToAFileThatCannotBeWrittenIsReportedWithTheSaveNumbers)
{
    ImageFrm* image = create();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(files.path(QStringLiteral("missing/print.pdf")));
    const std::optional<imagefile::SaveResult> failure = printLettering(printer, image->vectorLettering(), PrintScale::FitPage);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->errorNumber, imagefile::saveError::PathNotFound);
}

// Qt's PDF writer reports no write error: printing to a PDF file on a full disk closed
// silently and left a cut-off file in place of the good one.
TEST_F(VectorCommands, PrintingToAPdfFileOnAFullDiskIsReportedAndKeepsTheEarlierFile)
{
    test::SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    ImageFrm* image = create();
    const QString out = disk.path(QStringLiteral("print.pdf"));
    image->printDialog = [&](QWidget*, const VectorLettering& lettering) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        return printLettering(printer, lettering, PrintScale::FitPage);
    };
    image->MNU_F_P->trigger();
    ASSERT_TRUE(dialogs.messages.empty());
    const QByteArray earlier = TestFiles::bytes(out);
    ASSERT_TRUE(earlier.startsWith("%PDF-"));

    disk.fill(QStringLiteral("filler"));
    image->MNU_F_P->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージ印刷(Error:61)"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("ディスクの空き容量が不足しています。"));
    EXPECT_EQ(TestFiles::bytes(out), earlier);
    EXPECT_EQ(QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "print.pdf"}));
}

TEST_F(VectorCommands, ThePrintPreviewShowsThePageAndOffersTheSizeOnPaper)
{
    ImageFrm* image = create();
    bool seen = false;
    // The dialog is modal: it is looked at and closed from the event loop.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* size = dialog->findChild<QComboBox*>(QStringLiteral("printScale"));
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(size->count(), 2);
        size->setCurrentIndex(1);  // the preview is drawn again at the true size
        seen = true;
        dialog->reject();
    });
    EXPECT_FALSE(runPrintDialog(image, image->vectorLettering()).has_value());
    EXPECT_TRUE(seen);
}

TEST_F(VectorCommands, PrintingThroughThePreviewAndPrintDialogsToAPdfFileNeedsNoPrinter)
{
    ImageFrm* image = create();
    const QString out = files.path(QStringLiteral("printed.pdf"));
    bool printDialogShown = false;
    // Both dialogs are modal: each is answered from the event loop, as a user would.
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        QAction* print = nullptr;
        for (QAction* action : preview->findChildren<QAction*>())
            if (action->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                print = action;
        ASSERT_NE(print, nullptr);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            printDialogShown = true;
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
            ASSERT_NE(name, nullptr);
            name->setText(out);
            dialog->accept();
        });
        print->trigger();
    });
    EXPECT_FALSE(runPrintDialog(image, image->vectorLettering()).has_value());
    EXPECT_TRUE(printDialogShown);
    EXPECT_TRUE(TestFiles::bytes(out).startsWith("%PDF-"));
}
