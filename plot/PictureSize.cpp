#include "plot/PictureSize.h"

#include <QRegularExpression>

std::optional<QSize> ParsePictureSize(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,6})\\s*(?:[xXхХ×*]\\s*|\\s)(\\d{1,6})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    const auto fits = [](int side) { return side >= MinPictureSide && side <= MaxPictureSide; };
    if (!fits(size.width()) || !fits(size.height()))
        return std::nullopt;
    return size;
}

QString PictureSizeText(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}
