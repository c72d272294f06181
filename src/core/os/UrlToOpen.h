#pragma once

#include <QString>
#include <QUrl>

namespace velmora {

// What to open for a record's URL as it was stored: the trimmed text as is when it names a
// scheme; an existing file when it is an absolute path to one; a mail address (a name, an "@", and
// no "/" before it) as "mailto:"; anything else as a web address over "https://". Addresses are
// often stored without a scheme, and the desktop would take those for files in the working
// directory. An empty text gives an empty URL: there is nothing to open.
QUrl UrlToOpen(const QString& stored);

} // namespace velmora
