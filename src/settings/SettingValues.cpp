#include "SettingValues.h"

#include "render/Rounding.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace kalvetra {

std::optional<double> numberFromText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<std::int64_t> wholeNumberFromText(const QString& text)
{
    const std::optional<double> v = numberFromText(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::optional<bool> truthValueFromText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> v = numberFromText(t))
        return *v != 0.0;
    return std::nullopt;
}

QString truthValueText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace kalvetra
