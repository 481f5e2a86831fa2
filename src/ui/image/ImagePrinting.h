// Printing an image window's lettering: the exact polygons drawn as vectors at the printer's
// resolution, scaled to fit the page or at its true size (a canvas pixel is 1/96 inch),
// centred. Qt's print preview shows the page and offers the choice of size; its print button
// opens Qt's print dialog, where a PDF file can be chosen without any printer installed.
#pragma once

#include "imagefile/ImageSave.h"
#include "render/VectorLettering.h"

#include <optional>

class QPainter;
class QPrinter;
class QWidget;

namespace kalvetra {

enum class PrintScale { FitPage, ActualSize };

// Where the canvas lands on the page: device pixels of the painter that `printer` opens.
QRectF printedCanvasRect(const QPrinter& printer, const QSize& canvas, PrintScale scale);

// Paints one page onto a painter already open on `printer` (a printer or a preview).
void paintLetteringPage(QPainter& painter, const QPrinter& printer, const VectorLettering& lettering,
                        PrintScale scale);

// Prints to `printer`; the failure in the save commands' numbers and texts, or nothing.
std::optional<imagefile::SaveResult> printLettering(QPrinter& printer, const VectorLettering& lettering,
                                                     PrintScale scale);

// The preview dialog over `parent`. Returns the failure of a print that was started, or
// nothing (printed, or cancelled).
std::optional<imagefile::SaveResult> runPrintDialog(QWidget* parent, const VectorLettering& lettering);

}  // namespace kalvetra
