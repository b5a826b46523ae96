#include "wAtomicWrite.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

namespace wAtomicWrite {

bool Write(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    // decodeName is the inverse of the encoding QFile uses for the system call, so
    // the file gets exactly the bytes of `path`, whatever the locale.
    QSaveFile file(QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size()))));
    // Unbuffered: with Qt's write buffer, a failure while flushing it (disk full,
    // file size limit) is not reported by commit(), which then renames a truncated
    // file over the target. Writing straight through shows every short write here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    // On failure QSaveFile removes its temporary file; the target is untouched.
    return file.commit();
}

}  // namespace wAtomicWrite
