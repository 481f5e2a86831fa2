#include "Rounding.h"

#include <string>

namespace kalvetra {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// &H / &O prefixed numbers: 16-bit when they fit in four hex digits, like the runtime.
double radixNumber(const QString& s, int pos, int base)
{
    std::int64_t value = 0;
    int digits = 0;
    while (pos < s.size() && digits < 16) {
        const int d = base == 16 ? QChar(s[pos]).toUpper().unicode() : s[pos].unicode();
        int v = -1;
        if (d >= '0' && d <= '9')
            v = d - '0';
        else if (base == 16 && d >= 'A' && d <= 'F')
            v = d - 'A' + 10;
        if (v < 0 || v >= base)
            break;
        value = value * base + v;
        ++digits;
        ++pos;
    }
    if (base == 16 && digits <= 4 && value > 0x7FFF)
        value -= 0x10000;
    return static_cast<double>(value);
}

}  // namespace

double leadingNumber(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (const QChar c : text)
        if (!isBlank(c))
            s.append(c);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixNumber(s, 2, 16);
        if (kind == u'O')
            return radixNumber(s, 2, 8);
        return 0.0;
    }

    std::string number;
    int pos = 0;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
        number += static_cast<char>(s[pos++].unicode());
    bool anyDigit = false;
    while (pos < s.size() && isDigit(s[pos])) {
        number += static_cast<char>(s[pos++].unicode());
        anyDigit = true;
    }
    if (pos < s.size() && s[pos] == u'.') {
        number += '.';
        ++pos;
        while (pos < s.size() && isDigit(s[pos])) {
            number += static_cast<char>(s[pos++].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E' || s[pos] == u'd' || s[pos] == u'D')) {
        int p = pos + 1;
        std::string exponent = "e";
        if (p < s.size() && (s[p] == u'+' || s[p] == u'-'))
            exponent += static_cast<char>(s[p++].unicode());
        bool expDigit = false;
        while (p < s.size() && isDigit(s[p])) {
            exponent += static_cast<char>(s[p++].unicode());
            expDigit = true;
        }
        if (expDigit)
            number += exponent;
    }
    try {
        return std::stod(number);
    } catch (...) {
        // Out of the range of a double: the sign decides.
        return number.front() == '-' ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }
}

}  // namespace kalvetra
