#include "ServersDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "DicomWebTasks.h"

using wexlan::remote::DicomWebServer;

ServersDialog::ServersDialog(std::string configurationFolder, QWidget* parent)
    : QDialog(parent), m_folder(std::move(configurationFolder)) {
    setObjectName("serversDialog");
    setWindowTitle(tr("DICOMweb Servers"));
    m_list = new QListWidget(this);
    m_result = new QLabel(this);
    m_result->setWordWrap(true);
    m_result->setObjectName("serverTestResult");
    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const QString& caption, auto action) {
        auto* pressed = new QPushButton(caption, this);
        connect(pressed, &QPushButton::clicked, this, action);
        buttons->addWidget(pressed);
    };
    button(tr("&Add..."), [this] {
        DicomWebServer server;
        std::vector<DicomWebServer> servers = m_servers;
        if (Ask(server)) {
            servers.push_back(server);
            Write(servers);
        }
    });
    button(tr("&Edit..."), [this] {
        const int row = m_list->currentRow();
        std::vector<DicomWebServer> servers = m_servers;
        if (row >= 0 && Ask(servers[row])) {
            Write(servers);
        }
    });
    button(tr("&Test"), [this] { Test(); });
    button(tr("&Remove"), [this] {
        const int row = m_list->currentRow();
        std::vector<DicomWebServer> servers = m_servers;
        if (row >= 0) {
            servers.erase(servers.begin() + row);
            Write(servers);
        }
    });
    buttons->addStretch();
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(m_list);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_result);
    layout->addWidget(close);
    Fill();
}

ServersDialog::~ServersDialog() = default;

void ServersDialog::Fill() {
    const std::string why = wexlan::remote::ReadServers(m_folder, m_servers);
    m_list->clear();
    for (const DicomWebServer& server : m_servers) {
        m_list->addItem(QString::fromStdString(server.name + "  " + server.url));
    }
    m_result->setText(QString::fromStdString(why));
}

bool ServersDialog::Ask(DicomWebServer& server) {
    QDialog form(this);
    form.setWindowTitle(tr("DICOMweb Server"));
    auto* name = new QLineEdit(QString::fromStdString(server.name), &form);
    auto* url = new QLineEdit(QString::fromStdString(server.url), &form);
    url->setPlaceholderText("https://pacs.example.org/dicom-web");
    auto* user = new QLineEdit(QString::fromStdString(server.user), &form);
    auto* credentials = new QLineEdit(QString::fromStdString(server.credentialsFile), &form);
    credentials->setToolTip(
        tr("A file readable by you only; its first line is the password "
           "of the user, or a bearer token without a user"));
    auto* browse = new QPushButton("...", &form);
    connect(browse, &QPushButton::clicked, &form, [&form, credentials] {
        const QString file = QFileDialog::getOpenFileName(&form, tr("Credentials file"));
        if (!file.isEmpty()) {
            credentials->setText(file);
        }
    });
    auto* file = new QHBoxLayout;
    file->addWidget(credentials);
    file->addWidget(browse);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form);
    connect(ok, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    connect(ok, &QDialogButtonBox::rejected, &form, &QDialog::reject);
    auto* layout = new QFormLayout(&form);
    layout->addRow(tr("Name"), name);
    layout->addRow(tr("Address"), url);
    layout->addRow(tr("User"), user);
    layout->addRow(tr("Credentials file"), file);
    layout->addRow(ok);
    if (form.exec() != QDialog::Accepted) {
        return false;
    }
    server = {name->text().trimmed().toStdString(), url->text().trimmed().toStdString(),
              user->text().trimmed().toStdString(), credentials->text().trimmed().toStdString()};
    return true;
}

bool ServersDialog::Write(const std::vector<DicomWebServer>& servers) {
    const std::string why = wexlan::remote::WriteServers(m_folder, servers);
    if (!why.empty()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(why));
        return false;
    }
    Fill();
    return true;
}

void ServersDialog::Test() {
    const int row = m_list->currentRow();
    if (row < 0) {
        return;
    }
    const DicomWebServer server = m_servers[row];
    m_result->setText(tr("Testing %1...").arg(QString::fromStdString(server.name)));
    m_test = std::make_unique<wexlan::remote::DicomWebTasks>(server);  // stops an earlier test
    m_test->Post(this, [this, name = server.name](wexlan::remote::DicomWebClient& client) {
        std::vector<wexlan::remote::StudyRecord> studies;
        const std::string why = client.Studies({}, studies);
        const QString text =
            why.empty() ? tr("Connected: %1, %n studies", "", static_cast<int>(studies.size()))
                              .arg(QString::fromStdString(name))
                        : QString::fromStdString(why);
        return std::function<void()>([this, text] { m_result->setText(text); });
    });
}
