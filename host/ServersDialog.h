#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "DicomWebServers.h"

class QLabel;
class QListWidget;

namespace wexlan::remote {
class DicomWebTasks;
}

/// The "DICOMweb Servers" dialog: the servers of DicomWebServers.conf in a list, with Add,
/// Edit, Test and Remove. Each change is written at once (WriteServers); a change the file
/// refuses (a name used twice, an address that is not http(s)) is shown and not kept.
/// Test searches the server's studies on a worker thread and says "Connected: NAME, 12
/// studies" or why it failed. Credentials are never shown: only the file holding them.
class ServersDialog : public QDialog {
    Q_OBJECT
public:
    ServersDialog(std::string configurationFolder, QWidget* parent);
    ~ServersDialog() override;

private:
    void Fill();
    // Asks for a server's fields, starting from `server`; false when the user cancelled.
    bool Ask(wexlan::remote::DicomWebServer& server);
    // Writes `servers`; @return whether the file took them (else the reason is shown).
    bool Write(const std::vector<wexlan::remote::DicomWebServer>& servers);
    void Test();

    std::string m_folder;
    std::vector<wexlan::remote::DicomWebServer> m_servers;
    QListWidget* m_list = nullptr;
    QLabel* m_result = nullptr;
    std::unique_ptr<wexlan::remote::DicomWebTasks> m_test;
};
