#pragma once
// What the remote tests share: the Qt application the network calls need, and a cache
// folder's listing.

#include <QCoreApplication>
#include <QDir>

namespace wexlan::remote::test {

/// The process's QCoreApplication, made on first use.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "remote_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

/// Every entry of `folder`, hidden ones included.
inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace wexlan::remote::test
