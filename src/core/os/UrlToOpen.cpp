#include "core/os/UrlToOpen.h"

#include "core/os/FileExists.h"

#include <QRegularExpression>
#include <filesystem>

namespace velmora {

namespace {

// "name:" in front, but not "host:port", which is an address without a scheme.
bool HasScheme(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?![0-9]+(?:[/?#]|$))"));
    return scheme.match(text).hasMatch();
}

bool IsMailAddress(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    return at > 0 && !text.left(at).contains(QLatin1Char('/'));
}

bool IsExistingAbsolutePath(const QString& text)
{
    const std::filesystem::path path(text.toStdU16String());
    return path.is_absolute() && FileExists(path);
}

} // namespace

QUrl UrlToOpen(const QString& stored)
{
    const QString text = stored.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    // Before the scheme: a drive letter looks like one.
    if (IsExistingAbsolutePath(text)) {
        return QUrl::fromLocalFile(text);
    }
    if (HasScheme(text)) {
        return QUrl(text, QUrl::TolerantMode);
    }
    if (IsMailAddress(text)) {
        return QUrl(QStringLiteral("mailto:") + text, QUrl::TolerantMode);
    }
    return QUrl(QStringLiteral("https://") + text, QUrl::TolerantMode);
}

} // namespace velmora
