#include "companions/ReadDecimal.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

std::optional<double> ReadDecimal(const QString &text)
{
    // [0-9], not \d: other scripts' digits would match and then not convert.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^[+-]?(?:[0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)$)"));
    QString number = text.trimmed();
    if (!pattern.match(number).hasMatch())
        return std::nullopt;
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    // Hundreds of digits overflow to infinity.
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<std::int32_t> ReadWholeNumber(const QString &text, std::int32_t low,
                                            std::int32_t high)
{
    const std::optional<double> value = ReadDecimal(text);
    if (!value || *value != std::trunc(*value) || *value < low || *value > high)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}
