#include "VectorFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>

#include <charconv>
#include <cmath>
#include <vector>

namespace kalvetra::imagefile {
namespace {

void appendInteger(QByteArray& out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// A decimal number without trailing zeros (at most eight places: 1 / 256 is exact).
QByteArray decimal(double value)
{
    if (std::abs(value) < 5e-7)
        return "0";
    QByteArray text = QByteArray::number(value, 'f', 8);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

QByteArray xmlEscaped(const QString& text)
{
    // XML 1.0 has no way to write the other C0 controls, not even as references: a text
    // that holds one (the code table inserts them) would make the file unreadable.
    QString allowed;
    allowed.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            allowed += c;
    return allowed.toHtmlEscaped().replace(u'\r', QStringLiteral("&#13;")).toUtf8();
}

QByteArray pngBytes(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        return QByteArray();
    return bytes;
}

// Stops from 0 to 1: a gradient's ends are padded with its first and last colours.
QGradientStops paddedStops(const QGradient& gradient)
{
    QGradientStops stops = gradient.stops();
    if (stops.isEmpty())
        stops = {{0.0, Qt::black}, {1.0, Qt::black}};
    if (stops.front().first > 0)
        stops.prepend({0.0, stops.front().second});
    if (stops.back().first < 1)
        stops.append({1.0, stops.back().second});
    return stops;
}

const QLinearGradient* linearGradientOf(const QBrush& brush)
{
    return brush.style() == Qt::LinearGradientPattern ? static_cast<const QLinearGradient*>(brush.gradient()) : nullptr;
}

bool hasTransform(const QBrush& brush)
{
    return !brush.transform().isIdentity();
}

QByteArray matrixOf(const QTransform& t)
{
    return decimal(t.m11()) + ' ' + decimal(t.m12()) + ' ' + decimal(t.m21()) + ' ' + decimal(t.m22()) + ' ' +
           decimal(t.dx()) + ' ' + decimal(t.dy());
}

// ---- SVG ---------------------------------------------------------------------------------------

// Path data in fixed point: each contour from where the last began ("m" relative), its
// vertices as relative steps.
void appendSvgPathData(QByteArray& out, const std::vector<QPolygon>& contours)
{
    QPoint start(0, 0);
    for (const QPolygon& contour : contours) {
        out += 'm';
        appendInteger(out, contour.front().x() - start.x());
        out += ' ';
        appendInteger(out, contour.front().y() - start.y());
        start = contour.front();
        out += 'l';
        bool first = true;
        for (qsizetype i = 1; i < contour.size(); ++i) {
            const QPoint step = contour[i] - contour[i - 1];
            if (!first && step.x() >= 0)
                out += ' ';
            appendInteger(out, step.x());
            if (step.y() >= 0)
                out += ' ';
            appendInteger(out, step.y());
            first = false;
        }
        out += 'z';
    }
}

QByteArray svgPaint(const LetteringLayer& layer, QByteArray& defs)
{
    const QLinearGradient* gradient = linearGradientOf(layer.fill);
    if (!gradient)
        return layer.fill.color().name().toLatin1();
    const QByteArray id = layer.name.toUtf8() + "-fill";
    // NOTE: the paths are in fixed point under scale(1 / VectorScale), and the gradient is
    // taken in that user space: it is scaled back to canvas pixels.
    defs += "<linearGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" x1=\"" +
            decimal(gradient->start().x()) + "\" y1=\"" + decimal(gradient->start().y()) + "\" x2=\"" +
            decimal(gradient->finalStop().x()) + "\" y2=\"" + decimal(gradient->finalStop().y()) +
            "\" gradientTransform=\"scale(" + QByteArray::number(VectorScale) + ")" +
            (hasTransform(layer.fill) ? " matrix(" + matrixOf(layer.fill.transform()) + ")" : QByteArray()) + "\">\n";
    for (const QGradientStop& stop : gradient->stops())
        defs += "<stop offset=\"" + decimal(stop.first) + "\" stop-color=\"" + stop.second.name().toLatin1() + "\"/>\n";
    defs += "</linearGradient>\n";
    return "url(#" + id + ")";
}

QByteArray svgLayerGroup(const QByteArray& name, const QByteArray& attributes, const QByteArray& content)
{
    return "<g id=\"" + name + "\" inkscape:groupmode=\"layer\" inkscape:label=\"" + name + "\"" + attributes + ">\n" +
           content + "</g>\n";
}

// A soft layer's opacity and standard blur filter (over the whole canvas, so that the default
// filter region, the box plus 10 %, cannot cut the blur).
QByteArray svgSoftness(const LetteringLayer& layer, const VectorLettering& v, QByteArray& defs)
{
    if (!layer.isSoft())
        return {};
    QByteArray attributes;
    if (layer.opacity < 100)
        attributes += " opacity=\"" + decimal(layer.opacity / 100.0) + '"';
    if (layer.softSigma > 0) {
        const QByteArray id = layer.name.toUtf8() + "-blur";
        defs += "<filter id=\"" + id + "\" filterUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"" +
                QByteArray::number(v.canvas.width()) + "\" height=\"" + QByteArray::number(v.canvas.height()) +
                "\" color-interpolation-filters=\"sRGB\">\n<feGaussianBlur stdDeviation=\"" +
                decimal(layer.softSigma) + "\"/>\n</filter>\n";
        attributes += " filter=\"url(#" + id + ")\"";
    }
    return attributes;
}

// ---- PDF ---------------------------------------------------------------------------------------

QByteArray deflated(const QByteArray& data)
{
    // qCompress puts the length in front of a zlib stream, which is what FlateDecode reads.
    return qCompress(data, 6).mid(4);
}

QByteArray pdfTextString(const QString& text)
{
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode() | 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

QByteArray rgbOperands(const QColor& c)
{
    return decimal(c.redF()) + ' ' + decimal(c.greenF()) + ' ' + decimal(c.blueF());
}

class PdfDocument {
public:
    int reserve()
    {
        m_objects.emplace_back();
        return static_cast<int>(m_objects.size());
    }
    int add(const QByteArray& body)
    {
        const int n = reserve();
        set(n, body);
        return n;
    }
    void set(int n, const QByteArray& body) { m_objects[static_cast<size_t>(n - 1)] = body; }
    int addStream(const QByteArray& dictionary, const QByteArray& data)
    {
        return add("<< " + dictionary + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data +
                   "\nendstream");
    }
    QByteArray finish(int catalog, int info) const
    {
        QByteArray out = "%PDF-1.5\n%\xE2\xE3\xCF\xD3\n";
        std::vector<qsizetype> offsets;
        for (size_t i = 0; i < m_objects.size(); ++i) {
            offsets.push_back(out.size());
            out += QByteArray::number(static_cast<qulonglong>(i + 1)) + " 0 obj\n" + m_objects[i] + "\nendobj\n";
        }
        const qsizetype xref = out.size();
        out += "xref\n0 " + QByteArray::number(static_cast<qulonglong>(m_objects.size() + 1)) + "\n0000000000 65535 f \n";
        for (const qsizetype offset : offsets)
            out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        out += "trailer\n<< /Size " + QByteArray::number(static_cast<qulonglong>(m_objects.size() + 1)) + " /Root " +
               QByteArray::number(catalog) + " 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n" +
               QByteArray::number(xref) + "\n%%EOF\n";
        return out;
    }

private:
    std::vector<QByteArray> m_objects;
};

QByteArray ref(int n)
{
    return QByteArray::number(n) + " 0 R";
}

// Exponential (here linear) interpolation between two colours, stitched for more stops.
int pdfGradientFunction(PdfDocument& pdf, const QGradient& gradient)
{
    const QGradientStops stops = paddedStops(gradient);
    QByteArray functions, bounds, encode;
    int count = 0;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        functions += ref(pdf.add("<< /FunctionType 2 /Domain [0 1] /C0 [" + rgbOperands(stops[i - 1].second) +
                                 "] /C1 [" + rgbOperands(stops[i].second) + "] /N 1 >>")) +
                     ' ';
        if (i > 1)
            bounds += decimal(stops[i - 1].first) + ' ';
        encode += "0 1 ";
        ++count;
    }
    if (count == 1)
        return pdf.add("<< /FunctionType 2 /Domain [0 1] /C0 [" + rgbOperands(stops[0].second) + "] /C1 [" +
                       rgbOperands(stops[1].second) + "] /N 1 >>");
    return pdf.add("<< /FunctionType 3 /Domain [0 1] /Functions [" + functions.trimmed() + "] /Bounds [" +
                   bounds.trimmed() + "] /Encode [" + encode.trimmed() + "] >>");
}

void appendPdfPath(QByteArray& out, const std::vector<QPolygon>& contours)
{
    for (const QPolygon& contour : contours) {
        for (qsizetype i = 0; i < contour.size(); ++i) {
            appendInteger(out, contour[i].x());
            out += ' ';
            appendInteger(out, contour[i].y());
            out += i == 0 ? " m\n" : " l\n";
        }
        out += "h\n";
    }
}

// The picture as an image XObject (its alpha as a soft mask).
int pdfImage(PdfDocument& pdf, const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    QByteArray pixels;
    pixels.reserve(static_cast<qsizetype>(rgb.width()) * 3 * rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), static_cast<qsizetype>(rgb.width()) * 3);
    const QByteArray size = "/Width " + QByteArray::number(rgb.width()) + " /Height " + QByteArray::number(rgb.height());
    QByteArray mask;
    if (picture.hasAlphaChannel()) {
        const QImage alpha = picture.convertToFormat(QImage::Format_Alpha8);
        QByteArray alphas;
        for (int y = 0; y < alpha.height(); ++y)
            alphas.append(reinterpret_cast<const char*>(alpha.constScanLine(y)), alpha.width());
        mask = " /SMask " + ref(pdf.addStream("/Type /XObject /Subtype /Image " + size +
                                                  " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                                              deflated(alphas)));
    }
    return pdf.addStream("/Type /XObject /Subtype /Image " + size +
                             " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode" + mask,
                         deflated(pixels));
}

}  // namespace

QByteArray encodeSvg(const VectorLettering& v)
{
    const QByteArray width = QByteArray::number(v.canvas.width());
    const QByteArray height = QByteArray::number(v.canvas.height());
    const QByteArray unit = decimal(1.0 / VectorScale);
    QByteArray defs, body;

    QByteArray background;
    if (v.background)
        background += "<rect width=\"" + width + "\" height=\"" + height + "\" fill=\"" +
                      v.background->name().toLatin1() + "\"/>\n";
    if (!v.picture.isNull())
        background += "<image width=\"" + QByteArray::number(v.picture.width()) + "\" height=\"" +
                      QByteArray::number(v.picture.height()) +
                      "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," +
                      pngBytes(v.picture).toBase64() + "\"/>\n";
    if (!background.isEmpty())
        body += svgLayerGroup("background", {}, background);

    for (const LetteringLayer& layer : v.layers) {
        QByteArray content;
        if (!layer.isEmpty()) {
            content.reserve(static_cast<qsizetype>(layer.contours.size()) * 64);
            content += "<path transform=\"scale(" + unit + ")\" d=\"";
            appendSvgPathData(content, layer.contours);
            content += "\"/>\n";
        }
        body += svgLayerGroup(layer.name.toUtf8(), " fill=\"" + svgPaint(layer, defs) + '"' + svgSoftness(layer, v, defs),
                              content);
    }

    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                     "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" version=\"1.1\" width=\"" +
                     width + "px\" height=\"" + height + "px\" viewBox=\"0 0 " + width + ' ' + height + "\">\n";
    if (!v.title.isEmpty())
        out += "<title>" + xmlEscaped(v.title) + "</title>\n";
    if (!defs.isEmpty())
        out += "<defs>\n" + defs + "</defs>\n";
    return out + body + "</svg>\n";
}

QByteArray encodePdf(const VectorLettering& v)
{
    PdfDocument pdf;
    const int catalog = pdf.reserve();
    const int pages = pdf.reserve();
    const int page = pdf.reserve();
    // NOTE: the canvas's pixels are 1/96 inch, three quarters of a point; the content is drawn
    // in pixels with y downwards, the layers in fixed point.
    const double pageWidth = v.canvas.width() * 0.75;
    const double pageHeight = v.canvas.height() * 0.75;
    const QByteArray unit = decimal(1.0 / VectorScale);
    const QByteArray fixedToPixels = unit + " 0 0 " + unit + " 0 0 cm\n";
    QByteArray content = "0.75 0 0 -0.75 0 " + decimal(pageHeight) + " cm\n";
    QByteArray properties, xobjects, shadings, groups;
    int groupCount = 0, shadingCount = 0;

    auto beginGroup = [&](const QString& name) {
        const QByteArray tag = "oc" + QByteArray::number(groupCount++);
        const int group = pdf.add("<< /Type /OCG /Name " + pdfTextString(name) + " >>");
        properties += '/' + tag + ' ' + ref(group) + ' ';
        groups += ref(group) + ' ';
        content += "/OC /" + tag + " BDC\n";
    };

    if (v.background || !v.picture.isNull()) {
        beginGroup(QStringLiteral("background"));
        if (v.background)
            content += rgbOperands(*v.background) + " rg 0 0 " + QByteArray::number(v.canvas.width()) + ' ' +
                       QByteArray::number(v.canvas.height()) + " re f\n";
        if (!v.picture.isNull()) {
            xobjects += "/Im0 " + ref(pdfImage(pdf, v.picture)) + ' ';
            content += "q " + QByteArray::number(v.picture.width()) + " 0 0 -" +
                       QByteArray::number(v.picture.height()) + " 0 " + QByteArray::number(v.picture.height()) +
                       " cm /Im0 Do Q\n";
        }
        content += "EMC\n";
    }
    int softCount = 0;
    for (const LetteringLayer& layer : v.layers) {
        beginGroup(layer.name);
        if (!layer.isEmpty() && layer.isSoft()) {
            // NOTE: a blur has no vector form in PDF: the layer is an image at the page's own
            // resolution (a canvas pixel), its coverage the soft mask.
            const QRectF area = softLayerArea(layer, v.canvas);
            if (!area.isEmpty()) {
                const QByteArray name = "Soft" + QByteArray::number(softCount++);
                xobjects += '/' + name + ' ' + ref(pdfImage(pdf, softLayerRaster(layer, area, 1.0))) + ' ';
                content += "q " + decimal(area.width()) + " 0 0 -" + decimal(area.height()) + ' ' +
                           decimal(area.left()) + ' ' + decimal(area.bottom()) + " cm /" + name + " Do Q\n";
            }
        } else if (!layer.isEmpty()) {
            content += "q\n" + fixedToPixels;
            if (const QLinearGradient* gradient = linearGradientOf(layer.fill)) {
                const QByteArray name = "Sh" + QByteArray::number(shadingCount++);
                const int shading = pdf.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [" +
                                            decimal(gradient->start().x()) + ' ' + decimal(gradient->start().y()) +
                                            ' ' + decimal(gradient->finalStop().x()) + ' ' +
                                            decimal(gradient->finalStop().y()) + "] /Function " +
                                            ref(pdfGradientFunction(pdf, *gradient)) + " /Extend [true true] >>");
                shadings += '/' + name + ' ' + ref(shading) + ' ';
                appendPdfPath(content, layer.contours);
                content += "W n\n" + QByteArray::number(VectorScale) + " 0 0 " + QByteArray::number(VectorScale) +
                           " 0 0 cm\n";
                if (hasTransform(layer.fill))
                    content += matrixOf(layer.fill.transform()) + " cm\n";
                content += '/' + name + " sh\n";
            } else {
                content += rgbOperands(layer.fill.color()) + " rg\n";
                appendPdfPath(content, layer.contours);
                content += "f\n";
            }
            content += "Q\n";
        }
        content += "EMC\n";
    }

    const int contents = pdf.addStream("/Filter /FlateDecode", deflated(content));
    QByteArray resources = "/Properties << " + properties + ">>";
    if (!xobjects.isEmpty())
        resources += " /XObject << " + xobjects + ">>";
    if (!shadings.isEmpty())
        resources += " /Shading << " + shadings + ">>";
    pdf.set(page, "<< /Type /Page /Parent " + ref(pages) + " /MediaBox [0 0 " + decimal(pageWidth) + ' ' +
                      decimal(pageHeight) + "] /Resources << " + resources + " >> /Contents " + ref(contents) + " >>");
    pdf.set(pages, "<< /Type /Pages /Kids [" + ref(page) + "] /Count 1 >>");
    pdf.set(catalog, "<< /Type /Catalog /Pages " + ref(pages) + " /OCProperties << /OCGs [" + groups.trimmed() +
                         "] /D << /Order [" + groups.trimmed() + "] >> >> >>");
    const int info = pdf.add("<< /Title " + pdfTextString(v.title) + " /Producer " +
                             pdfTextString(QStringLiteral("Kalvetra")) + " >>");
    return pdf.finish(catalog, info);
}

QByteArray encodeVector(ImageFormat format, const VectorLettering& lettering)
{
    switch (format) {
    case ImageFormat::Svg: return encodeSvg(lettering);
    case ImageFormat::Pdf: return encodePdf(lettering);
    default: return QByteArray();
    }
}

SaveResult saveVectorImage(const QString& path, const VectorLettering& lettering)
{
    return writeWholeFile(path, encodeVector(saveFormatForPath(path), lettering));
}

}  // namespace kalvetra::imagefile
