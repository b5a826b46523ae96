#pragma once
// The DICOMweb servers in the workspace tree: browsing their studies and series, and
// retrieving a series to open it.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QObject>

#include "DicomWebClient.h"
#include "wexlancp_export.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace wexlan {

namespace remote {
class DicomWebTasks;
}

/// The "DICOMweb" root node of the workspace tree and everything under it. The root is
/// there only while the servers file lists a server (or cannot be read: then its one
/// line says why). Under it, one node per server; expanding a server searches its studies
/// (a page at a time, a "More…" node loads the next page; the search box, its first
/// child, narrows the search: ParseStudySearch), expanding a study lists its series. Every
/// request runs on a worker thread per server (DicomWebTasks): the tree shows
/// "Searching…" meanwhile, and a failure is one line under the node (SearchFailureLine),
/// its tooltip the reason.
///
/// Activating a series (double-click, Enter) or Retrieve() fetches it into the series
/// cache with a progress bar and Cancel (ProgressWidget()), then hands its first file to
/// the open function. A series the cache holds whole is opened without a request. A
/// cancelled or failed retrieve leaves nothing in the cache.
class WEXLANCP_EXPORT RemoteBrowser : public QObject {
    Q_OBJECT
public:
    /// Opens a retrieved series' first file.
    using Open = std::function<void(const std::string& file)>;

    /// `tree` gets the root node after the node `after`; the servers file is read from
    /// `configurationFolder`; series are cached under `cacheRoot`.
    RemoteBrowser(QTreeWidget* tree, QTreeWidgetItem* after, std::string configurationFolder,
                  std::string cacheRoot);
    /// Stops the searches and the retrieve under way; a cancelled retrieve's files go.
    ~RemoteBrowser() override;

    /// Reads the servers file again and lists its servers (collapsed, not yet searched).
    void Reload();
    /// Whether `item` is the root or under it (the user cannot delete those).
    bool Holds(const QTreeWidgetItem* item) const;
    /// Whether `item` is a series node.
    bool IsSeries(const QTreeWidgetItem* item) const;
    /// Searches what an expanded node lists, the first time it is expanded.
    void Expanded(QTreeWidgetItem* item);
    /// A double-click or Enter: a series is retrieved and opened (the panel's open
    /// function), "More…" loads the next page.
    void Activated(QTreeWidgetItem* item);
    /// Retrieves the series of `item` and calls `then` with its first file (never when it
    /// fails or is cancelled: a failure is noted). @return false when `item` is no series
    /// or a retrieve is already running.
    bool Retrieve(QTreeWidgetItem* item, const Open& then);
    /// The panel's open function for activated series.
    void SetOpen(Open open) { m_open = std::move(open); }
    /// The progress bar and Cancel button of a retrieve, hidden when none runs. The host
    /// puts it in its status bar.
    QWidget* ProgressWidget() const { return m_progress; }

signals:
    /// What became of a retrieve: "Retrieved ... ", "Could not retrieve ...: reason",
    /// "Cancelled: ...".
    void noted(const QString& text);

private:
    enum Kind { Root = 1, Server, Search, Study, Series, More, Line };

    QTreeWidgetItem* Node(QTreeWidgetItem* parent, Kind kind, const std::string& caption,
                          int index = -1);
    remote::DicomWebTasks& Tasks(const std::string& server);
    QTreeWidgetItem* ServerOf(QTreeWidgetItem* item) const;
    QTreeWidgetItem* ServerNamed(const std::string& name) const;
    void SearchStudies(QTreeWidgetItem* server, int offset, QTreeWidgetItem* more);
    void ListSeries(QTreeWidgetItem* study);
    void EndRetrieve(const QString& note);

    QTreeWidget* m_tree;
    QTreeWidgetItem* m_after;
    QTreeWidgetItem* m_root = nullptr;
    std::string m_configurationFolder;
    std::string m_cacheRoot;
    Open m_open;
    std::map<std::string, remote::DicomWebServer> m_servers;
    std::map<std::string, std::unique_ptr<remote::DicomWebTasks>> m_tasks;
    std::shared_ptr<std::atomic<bool>> m_cancel;  // of the running retrieve; null when none
    QWidget* m_progress = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

}  // namespace wexlan
