#include "ImagePrinting.h"

#include <QComboBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

namespace kalvetra {
namespace {

// The runtime's number and text for a printer that fails.
constexpr int PrinterErrorNumber = 482;

imagefile::SaveResult printerError()
{
    return {PrinterErrorNumber, QStringLiteral("プリンタ エラーです。")};
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
    QPainter painter;
    if (!painter.begin(&printer)) {
        // A file that cannot be written is told as the save commands tell it.
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
            const imagefile::SaveResult probe = imagefile::probeWritable(printer.outputFileName());
            if (!probe.ok())
                return probe;
        }
        return printerError();
    }
    paintLetteringPage(painter, printer, lettering, scale);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return printerError();
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
