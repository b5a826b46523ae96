#include "RemoteBrowser.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "DicomWebServers.h"
#include "DicomWebTasks.h"
#include "Prompts.h"
#include "RemoteNodes.h"
#include "SeriesCache.h"

namespace wexlan {
namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kUidRole = Qt::UserRole + 1;
constexpr int kNumberRole = Qt::UserRole + 2;      // a page's offset, a series' images
constexpr int kGenerationRole = Qt::UserRole + 3;  // of a server's search
constexpr int kLoadedRole = Qt::UserRole + 4;

constexpr char kSearching[] = "Searching\u2026";

int KindOf(const QTreeWidgetItem* item) {
    return item == nullptr ? 0 : item->data(0, kKindRole).toInt();
}

std::string Uid(const QTreeWidgetItem* item) {
    return item->data(0, kUidRole).toString().toStdString();
}

// The first child of `parent` of `kind` (and of `uid` when given), or null.
QTreeWidgetItem* Child(QTreeWidgetItem* parent, int kind, const std::string& uid = {}) {
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (KindOf(child) == kind && (uid.empty() || Uid(child) == uid)) {
            return child;
        }
    }
    return nullptr;
}

void RemoveChildren(QTreeWidgetItem* parent, int kind) {
    for (int i = parent->childCount() - 1; i >= 0; --i) {
        if (KindOf(parent->child(i)) == kind) {
            delete parent->takeChild(i);
        }
    }
}

}  // namespace

RemoteBrowser::RemoteBrowser(QTreeWidget* tree, QTreeWidgetItem* after,
                             std::string configurationFolder, std::string cacheRoot)
    : QObject(tree),
      m_tree(tree),
      m_after(after),
      m_configurationFolder(std::move(configurationFolder)),
      m_cacheRoot(std::move(cacheRoot)) {
    m_progress = new QWidget(tree);
    m_progress->setObjectName("retrieveProgress");
    auto* layout = new QHBoxLayout(m_progress);
    layout->setContentsMargins(0, 0, 0, 0);
    m_bar = new QProgressBar(m_progress);
    m_bar->setRange(0, 100);
    m_bar->setMaximumWidth(160);
    m_cancelButton = new QPushButton(QObject::tr("Cancel"), m_progress);
    m_cancelButton->setObjectName("cancelRetrieveButton");
    layout->addWidget(m_bar);
    layout->addWidget(m_cancelButton);
    m_progress->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_cancel) {
            *m_cancel = true;
        }
    });
}

RemoteBrowser::~RemoteBrowser() {
    if (m_cancel) {
        *m_cancel = true;
    }
    m_tasks.clear();  // waits for the running jobs to notice
}

QTreeWidgetItem* RemoteBrowser::Node(QTreeWidgetItem* parent, Kind kind, const std::string& caption,
                                     int index) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(caption)));
    item->setData(0, kKindRole, kind);
    if (parent == nullptr) {
        m_tree->insertTopLevelItem(m_tree->indexOfTopLevelItem(m_after) + 1, item);
    } else if (index < 0) {
        parent->addChild(item);
    } else {
        parent->insertChild(index, item);
    }
    if (kind == Server || kind == Study) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return item;
}

void RemoteBrowser::Reload() {
    delete m_root;
    m_root = nullptr;
    std::map<std::string, remote::DicomWebServer> before;
    before.swap(m_servers);
    std::vector<remote::DicomWebServer> servers;
    const std::string why = remote::ReadServers(m_configurationFolder, servers);
    if (why.empty() && servers.empty()) {
        return;
    }
    m_root = Node(nullptr, Root, kRemoteRepositoryNode);
    if (!why.empty()) {
        QTreeWidgetItem* line = Node(m_root, Line, "The servers file cannot be used");
        line->setToolTip(0, QString::fromStdString(why));
        return;
    }
    for (const remote::DicomWebServer& server : servers) {
        m_servers[server.name] = server;
        const auto known = before.find(server.name);
        if (known != before.end() &&
            (known->second.url != server.url || known->second.user != server.user ||
             known->second.credentialsFile != server.credentialsFile)) {
            // Its requests went to the old address: they stop (a retrieve too).
            if (m_cancel) {
                *m_cancel = true;
                EndRetrieve(QObject::tr("Cancelled: the server %1 was changed")
                                .arg(QString::fromStdString(server.name)));
            }
            m_tasks.erase(server.name);
        }
        Node(m_root, Server, server.name)->setToolTip(0, QString::fromStdString(server.url));
    }
}

bool RemoteBrowser::Holds(const QTreeWidgetItem* item) const {
    return KindOf(item) != 0;
}

bool RemoteBrowser::IsSeries(const QTreeWidgetItem* item) const {
    return KindOf(item) == Series;
}

remote::DicomWebTasks& RemoteBrowser::Tasks(const std::string& server) {
    std::unique_ptr<remote::DicomWebTasks>& tasks = m_tasks[server];
    if (!tasks) {
        tasks = std::make_unique<remote::DicomWebTasks>(m_servers.at(server));
    }
    return *tasks;
}

QTreeWidgetItem* RemoteBrowser::ServerNamed(const std::string& name) const {
    for (int i = 0; m_root != nullptr && i < m_root->childCount(); ++i) {
        if (KindOf(m_root->child(i)) == Server && m_root->child(i)->text(0).toStdString() == name) {
            return m_root->child(i);
        }
    }
    return nullptr;
}

QTreeWidgetItem* RemoteBrowser::ServerOf(QTreeWidgetItem* item) const {
    while (item != nullptr && KindOf(item) != Server) {
        item = item->parent();
    }
    return item;
}

void RemoteBrowser::Expanded(QTreeWidgetItem* item) {
    if (item->data(0, kLoadedRole).toBool()) {
        return;
    }
    if (KindOf(item) == Server) {
        item->setData(0, kLoadedRole, true);
        auto* box = new QLineEdit;
        box->setObjectName("studySearchBox");
        box->setPlaceholderText(QObject::tr("Search: name id=... from=... to=... modality=..."));
        box->setToolTip(
            QObject::tr("Patient name (a prefix), id=PATIENT_ID, from=2024-01-31, "
                        "to=2024-12-31, modality=CT; Enter searches"));
        m_tree->setItemWidget(Node(item, Search, ""), 0, box);
        connect(box, &QLineEdit::returnPressed, this, [this, item] {
            for (int i = item->childCount() - 1; i > 0; --i) {
                delete item->takeChild(i);
            }
            SearchStudies(item, 0, nullptr);
        });
        SearchStudies(item, 0, nullptr);
    } else if (KindOf(item) == Study) {
        item->setData(0, kLoadedRole, true);
        ListSeries(item);
    }
}

void RemoteBrowser::SearchStudies(QTreeWidgetItem* server, int offset, QTreeWidgetItem* more) {
    remote::StudyQuery search;
    const auto* box = qobject_cast<QLineEdit*>(m_tree->itemWidget(Child(server, Search), 0));
    const std::string name = server->text(0).toStdString();
    if (std::string why = ParseStudySearch(box->text().toStdString(), search); !why.empty()) {
        Node(server, Line, why);
        return;
    }
    if (more != nullptr) {
        delete more;
    }
    Node(server, Line, kSearching);
    const int generation = server->data(0, kGenerationRole).toInt() + 1;
    server->setData(0, kGenerationRole, generation);
    const remote::StudyQuery query = StudyPageQuery(search, offset);
    Tasks(name).Post(this, [this, query, name, generation](remote::DicomWebClient& client) {
        auto studies = std::make_shared<std::vector<remote::StudyRecord>>();
        const std::string why = client.Studies(query, *studies);
        return [this, name, generation, why, studies, offset = query.offset] {
            QTreeWidgetItem* server = ServerNamed(name);
            if (server == nullptr || server->data(0, kGenerationRole).toInt() != generation) {
                return;  // the servers were listed again, or another search started
            }
            RemoveChildren(server, Line);
            if (!why.empty()) {
                const FailureLine failure = SearchFailureLine(why);
                Node(server, Line, failure.caption)
                    ->setToolTip(0, QString::fromStdString(failure.tooltip));
                return;
            }
            const StudyPage page = TakeStudyPage(*studies, offset);
            for (const remote::StudyRecord& study : page.shown) {
                QTreeWidgetItem* node = Node(server, Study, StudyCaption(study));
                node->setData(0, kUidRole, QString::fromStdString(study.uid));
                node->setToolTip(0, QString::fromStdString("Patient ID " + study.patientId +
                                                           "\nStudy " + study.uid));
            }
            if (page.more) {
                Node(server, More, kMoreStudiesCaption)->setData(0, kNumberRole, page.nextOffset);
            } else if (page.shown.empty() && offset == 0) {
                Node(server, Line, "No study");
            }
        };
    });
}

void RemoteBrowser::ListSeries(QTreeWidgetItem* study) {
    QTreeWidgetItem* server = ServerOf(study);
    const std::string name = server->text(0).toStdString();
    const std::string studyUid = Uid(study);
    Node(study, Line, kSearching);
    Tasks(name).Post(this, [this, name, studyUid](remote::DicomWebClient& client) {
        auto series = std::make_shared<std::vector<remote::SeriesRecord>>();
        const std::string why = client.Series(studyUid, *series);
        return [this, name, studyUid, why, series] {
            // The study may have gone with a new search, or be listed again unexpanded.
            QTreeWidgetItem* study = Child(ServerNamed(name), Study, studyUid);
            if (study == nullptr || !study->data(0, kLoadedRole).toBool() ||
                Child(study, Line) == nullptr) {
                return;
            }
            RemoveChildren(study, Line);
            if (!why.empty()) {
                const FailureLine failure = SearchFailureLine(why);
                Node(study, Line, failure.caption)
                    ->setToolTip(0, QString::fromStdString(failure.tooltip));
                return;
            }
            for (const remote::SeriesRecord& entry : *series) {
                QTreeWidgetItem* node = Node(study, Series, SeriesCaption(entry));
                node->setData(0, kUidRole, QString::fromStdString(entry.uid));
                node->setData(0, kNumberRole, entry.instances);
                node->setToolTip(
                    0, QString::fromStdString("Series " + entry.uid + "\nDouble-click to open"));
            }
            if (series->empty()) {
                Node(study, Line, "No series");
            }
        };
    });
}

void RemoteBrowser::Activated(QTreeWidgetItem* item) {
    if (KindOf(item) == More) {
        SearchStudies(item->parent(), item->data(0, kNumberRole).toInt(), item);
    } else if (KindOf(item) == Series && m_open) {
        Retrieve(item, m_open);
    }
}

bool RemoteBrowser::Retrieve(QTreeWidgetItem* item, const Open& then) {
    if (KindOf(item) != Series) {
        return false;
    }
    if (m_cancel) {
        emit noted(QObject::tr("A series is being retrieved; wait for it or cancel it"));
        return false;
    }
    const std::string studyUid = Uid(item->parent());
    const std::string seriesUid = Uid(item);
    const int expected = item->data(0, kNumberRole).toInt();
    const QString caption = item->text(0);
    const remote::SeriesCache cache(m_cacheRoot);
    if (const std::string folder = cache.Complete(seriesUid); !folder.empty()) {
        then(folder + "/000001.dcm");
        return true;
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_bar->setRange(0, expected > 0 ? 100 : 0);  // busy while the size is unknown
    m_bar->setValue(0);
    m_bar->setFormat(caption + " %p%");
    m_progress->show();
    const std::string root = m_cacheRoot;
    Tasks(ServerOf(item)->text(0).toStdString())
        .Post(this, [this, root, studyUid, seriesUid, expected, caption, then,
                     cancel = m_cancel](remote::DicomWebClient& client) {
            std::string folder;
            int shown = -1;
            const std::string why = client.RetrieveSeries(
                studyUid, seriesUid, remote::SeriesCache(root), folder,
                [this, expected, &shown](std::uint64_t, int instances) {
                    const int percent = RetrievePercent(instances, expected);
                    if (percent != shown) {
                        shown = percent;
                        QMetaObject::invokeMethod(
                            m_bar, [bar = m_bar, percent] { bar->setValue(percent); },
                            Qt::QueuedConnection);
                    }
                },
                cancel.get());
            return std::function<void()>([this, why, folder, caption, then, cancel] {
                if (!why.empty()) {
                    EndRetrieve(*cancel
                                    ? QObject::tr("Cancelled: %1 was not retrieved").arg(caption)
                                    : QObject::tr("Could not retrieve %1: %2")
                                          .arg(caption, QString::fromStdString(why)));
                    if (!*cancel) {
                        Prompts::Instance().ShowMessage(why, MessageButtons::Ok);
                    }
                    return;
                }
                EndRetrieve(QObject::tr("Retrieved %1").arg(caption));
                then(folder + "/000001.dcm");
            });
        });
    return true;
}

void RemoteBrowser::EndRetrieve(const QString& note) {
    m_cancel.reset();
    m_progress->hide();
    emit noted(note);
}

}  // namespace wexlan
