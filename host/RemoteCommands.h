#pragma once

#include <atomic>
#include <functional>
#include <string>

/// The command language's "remote" words: the DICOMweb servers of the servers file in the
/// configuration folder, their studies and series, and retrieving a series into the
/// per-user cache. Each call runs the words after "remote" and returns what to print; it
/// throws std::invalid_argument with the reason when the command cannot run.
class RemoteCommands {
public:
    /// `configurationFolder` holds DicomWebServers.conf; `cacheRoot` the retrieved series.
    RemoteCommands(std::string configurationFolder, std::string cacheRoot);

    /// "servers": one "NAME URL" line per server. "add NAME URL [user=USER]
    /// [credentials=FILE]": adds a server. "studies NAME [PATIENT]": one "UID  patient
    /// date  description" line per study. "series NAME STUDY_UID": one "UID  modality
    /// images  description" line per series.
    std::string Run(const std::string& argument);

    /// "open NAME SERIES_UID": the first file of the series, retrieved into the cache unless
    /// it is there already. `progress` is told the percentage received (0 to 99) as it
    /// grows; `cancel` stops the retrieve, which then leaves nothing in the cache.
    std::string Retrieve(const std::string& argument,
                         const std::function<void(int percent)>& progress = {},
                         const std::atomic<bool>* cancel = nullptr);

private:
    std::string m_configurationFolder;
    std::string m_cacheRoot;
};
