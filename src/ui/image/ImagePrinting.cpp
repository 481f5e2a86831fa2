#include "ImagePrinting.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

#include <sys/statvfs.h>

namespace kalvetra {
namespace {

// The runtime's number and text for a printer that fails.
constexpr int PrinterErrorNumber = 482;

imagefile::SaveResult printerError()
{
    return {PrinterErrorNumber, QStringLiteral("プリンタ エラーです。")};
}

// Whether `pdf` is a PDF written to its end: its last cross-reference table lies where the
// trailer says. A writer cut short by a full disk leaves no trailer, or one that points
// past the bytes that reached the file.
bool isWholePdf(const QByteArray& pdf)
{
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF"))
        return false;
    const qsizetype start = pdf.lastIndexOf("startxref");
    if (start < 0)
        return false;
    bool ok = false;
    const qsizetype xref = pdf.mid(start + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    return ok && xref > 0 && pdf.mid(xref, 4) == "xref";
}

// Why a PDF could not be written whole into `folder`: the disk when it has no room left.
imagefile::SaveResult unfinishedPdfFailure(const QString& folder)
{
    struct statvfs fs {};
    const bool full = ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 &&
                      static_cast<double>(fs.f_bavail) * fs.f_frsize < 64 * 1024;
    if (full)
        return {imagefile::saveError::DiskFull, QStringLiteral("ディスクの空き容量が不足しています。")};
    return {imagefile::saveError::PathFileAccess, QStringLiteral("パス名が無効です。")};
}

std::optional<imagefile::SaveResult> paintPages(QPrinter& printer, const VectorLettering& lettering, PrintScale scale)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return printerError();
    paintLetteringPage(painter, printer, lettering, scale);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return printerError();
    return std::nullopt;
}

}  // namespace

QRectF printedCanvasRect(const QPrinter& printer, const QSize& canvas, PrintScale scale)
{
    if (canvas.isEmpty())
        return {};
    // The painter's origin is the corner of the printable area.
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double factor = scale == PrintScale::FitPage
                              ? std::min(page.width() / canvas.width(), page.height() / canvas.height())
                              : printer.resolution() / 96.0;
    const QSizeF size(canvas.width() * factor, canvas.height() * factor);
    return QRectF(QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2), size);
}

void paintLetteringPage(QPainter& painter, const QPrinter& printer, const VectorLettering& lettering, PrintScale scale)
{
    const QRectF target = printedCanvasRect(printer, lettering.canvas, scale);
    if (target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / lettering.canvas.width(), target.height() / lettering.canvas.height());
    paintLettering(painter, lettering);
    painter.restore();
}

std::optional<imagefile::SaveResult> printLettering(QPrinter& printer, const VectorLettering& lettering,
                                                     PrintScale scale)
{
    const QString target = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || target.isEmpty())
        return paintPages(printer, lettering, scale);

    // A file that cannot be written is told as the save commands tell it.
    if (const imagefile::SaveResult probe = imagefile::probeWritable(target); !probe.ok())
        return probe;
    // NOTE: Qt's PDF writer reports no write error, and a full disk left a cut-off file in
    // place of a good one. The pages go to a file beside the chosen one; it is checked and
    // put in place as every save is, whole or not at all.
    QTemporaryFile pages(target + QStringLiteral(".XXXXXX"));
    if (!pages.open())
        return unfinishedPdfFailure(QFileInfo(target).absolutePath());
    pages.close();
    printer.setOutputFileName(pages.fileName());
    const std::optional<imagefile::SaveResult> failure = paintPages(printer, lettering, scale);
    printer.setOutputFileName(target);
    if (failure)
        return failure;
    QFile written(pages.fileName());
    const QByteArray pdf = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    if (!isWholePdf(pdf))
        return unfinishedPdfFailure(QFileInfo(target).absolutePath());
    pages.remove();
    if (const imagefile::SaveResult saved = imagefile::writeWholeFile(target, pdf); !saved.ok())
        return saved;
    return std::nullopt;
}

std::optional<imagefile::SaveResult> runPrintDialog(QWidget* parent, const VectorLettering& lettering)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(lettering.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷"));

    // The size on paper, beside the preview's own tools.
    auto* size = new QComboBox(&dialog);
    size->addItem(QStringLiteral("用紙に合わせる"));
    size->addItem(QStringLiteral("実寸 (1 ピクセル = 1/96 インチ)"));
    size->setObjectName(QStringLiteral("printScale"));
    if (auto* tools = dialog.findChild<QToolBar*>()) {
        tools->addSeparator();
        tools->addWidget(size);
        // Wide enough that the choice and the print button are not folded away.
        dialog.resize(std::max(dialog.sizeHint().width(), tools->sizeHint().width() + 32),
                      std::max(dialog.sizeHint().height(), 600));
    }
    auto scale = [size] { return size->currentIndex() == 1 ? PrintScale::ActualSize : PrintScale::FitPage; };
    if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
        QObject::connect(size, &QComboBox::currentIndexChanged, preview, &QPrintPreviewWidget::updatePreview);

    // The preview and the print itself both paint here; the last paint is the print's.
    std::optional<imagefile::SaveResult> failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { failure = printLettering(*target, lettering, scale()); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return failure;
}

}  // namespace kalvetra
