#include "ImageFormat.h"

namespace kalvetra::imagefile {

namespace {

struct NamedFormat {
    const char* name;
    ImageFormat format;
};

// Every format the program writes, by the names a file may end in.
constexpr NamedFormat Formats[] = {
    {"png", ImageFormat::Png}, {"jpg", ImageFormat::Jpeg}, {"jpeg", ImageFormat::Jpeg},
    {"bmp", ImageFormat::Bmp}, {"wmf", ImageFormat::Wmf},  {"emf", ImageFormat::Emf},
    {"svg", ImageFormat::Svg}, {"pdf", ImageFormat::Pdf},
};

}  // namespace

std::optional<ImageFormat> imageFormatForName(QStringView name)
{
    for (const NamedFormat& f : Formats)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return f.format;
    return std::nullopt;
}

std::optional<ImageFormat> imageFormatOfPath(const QString& path)
{
    const QStringView fileName = QStringView(path).mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    return imageFormatForName(fileName.mid(dot + 1));
}

ImageFormat saveFormatForPath(const QString& path)
{
    return imageFormatOfPath(path).value_or(ImageFormat::Bmp);
}

bool isVectorFormat(ImageFormat format)
{
    return format == ImageFormat::Svg || format == ImageFormat::Pdf;
}

bool keepsTransparency(ImageFormat format)
{
    return format == ImageFormat::Png || isVectorFormat(format);
}

QStringList imageFormatNames()
{
    QStringList names;
    for (const NamedFormat& f : Formats)
        names << QLatin1String(f.name);
    return names;
}

}  // namespace kalvetra::imagefile
