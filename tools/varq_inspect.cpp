// varq-inspect: reads data files through wFileReader, as the workstation does, and
// prints what it found.
//
//   varq-inspect FILE...     one line per file:
//                            path <TAB> output type <TAB> points <TAB> cells
//                                 <TAB> bounds xmin,xmax,ymin,ymax,zmin,zmax <TAB> read time (ms)
//                            or: path <TAB> error: <the reader's message>
//   varq-inspect --formats   one line per format: extension <TAB> description
//   varq-inspect --plugins   one line per library of the Modules and Hard folders beside
//                            the executable, as the workstation discovers them:
//                            kind <TAB> file name <TAB> state <TAB> name <TAB> version
//                                 <TAB> reason
//   varq-inspect --snapshot OUT.png [--size WxH] FILE
//                            reads FILE, shows it with the layer that suits it (mesh,
//                            landmarks, three image planes), resets the camera and
//                            writes a picture (needs an X server, e.g. Xvfb)
//
// Exit status: 0 when every file was read (every library loaded), 1 when any failed, 2 for a
// usage error.

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "wFileReader.h"
#include "wSnapshot.h"

// A build of the lower folders alone (WEXLAN_CP_FOLDERS without the controller) has no
// plug-in tables to list.
#ifdef VARQ_INSPECT_PLUGINS
#include "CWexlanModules.h"
#include "ExecutablePath.h"
#include "HardwareTable.h"
#include "PluginDiscovery.h"
#endif

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: varq-inspect FILE...\n"
        "       varq-inspect --formats\n"
        "       varq-inspect --plugins\n"
        "       varq-inspect --snapshot OUT.png [--size WxH] FILE\n"
        "Reads each FILE as the VARQ workstation does and prints, tab-separated:\n"
        "path, output type (4 image, 16 surface, 32 markers, 64 point cloud, 2 other model),\n"
        "points, cells, bounds and read time in milliseconds; or the path and \"error: \"\n"
        "with the reason. Exit status 0 if every file was read, 1 otherwise.\n"
        "--plugins lists the libraries of the Modules and Hard folders beside varq-inspect:\n"
        "kind, file name, state (loaded, refused, failed, found: left out of a full table),\n"
        "name, version and the reason; exit status 0 if every library loaded, 1 otherwise.\n",
        out);
}

// varq-inspect --snapshot OUT.png [--size WxH] FILE
int Snapshot(int argc, char** argv) {
    int width = 800;
    int height = 600;
    std::string file;
    int i = 3;
    if (i + 1 < argc && std::strcmp(argv[i], "--size") == 0) {
        if (!wSnapshot::ParseSize(argv[i + 1], width, height)) {
            std::fprintf(stderr, "varq-inspect: bad size %s (WxH, e.g. 800x600)\n", argv[i + 1]);
            return 2;
        }
        i += 2;
    }
    if (i + 1 != argc) {
        PrintUsage(stderr);
        return 2;
    }
    file = argv[i];
    wFileReader reader;
    reader.SetFilename(file);
    if (!reader.Read()) {
        std::printf("%s\terror: %s\n", file.c_str(), reader.GetErrorMessage().c_str());
        return 1;
    }
    std::string error;
    if (!wSnapshot::Write(reader.GetOutput(), reader.GetOutputType(), argv[2], width, height,
                          &error)) {
        std::printf("%s\terror: %s\n", file.c_str(), error.c_str());
        return 1;
    }
    std::printf("%s\t%s\n", file.c_str(), argv[2]);
    return 0;
}

#ifdef VARQ_INSPECT_PLUGINS
// A reason on one line, so that a listing keeps one library per line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    return text;
}

// varq-inspect --plugins: discovers both plug-in folders as the workstation does at start-up
// (empty tables), without registering anything or showing messages.
int Plugins() {
    const std::string folder = wexlan::ExecutableFolder();
    int status = 0;
    for (const auto& [subfolder, kind, room] :
         {std::tuple{"/Modules", &CWexlanModules::Kind(), CWexlanModules::kMaxModules},
          std::tuple{"/Hard", &wexlan::HardwareTable::Kind(), wexlan::HardwareTable::kCapacity}}) {
        for (const wexlan::PluginRecord& record :
             wexlan::DiscoverPlugins(folder + subfolder, *kind, room)) {
            const std::string file = record.path.substr(record.path.rfind('/') + 1);
            std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", kind->name.c_str(), file.c_str(),
                        wexlan::PluginStateName(record.state), OneLine(record.name).c_str(),
                        OneLine(record.version).c_str(), OneLine(record.reason).c_str());
            if (record.state != wexlan::PluginState::Loaded) {
                status = 1;
            }
        }
    }
    return status;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    wFileReader reader;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--snapshot") == 0) {
        if (argc < 4) {
            PrintUsage(stderr);
            return 2;
        }
        return Snapshot(argc, argv);
    }
#ifdef VARQ_INSPECT_PLUGINS
    if (std::strcmp(argv[1], "--plugins") == 0) {
        if (argc != 2) {
            PrintUsage(stderr);
            return 2;
        }
        return Plugins();
    }
#endif
    if (std::strcmp(argv[1], "--formats") == 0) {
        if (argc != 2) {
            PrintUsage(stderr);
            return 2;
        }
        for (int i = 0; i < reader.GetNumberOfSupportedFileFormat(); ++i) {
            std::printf("%s\t%s\n", reader.GetSupportedFileExt(i).c_str(),
                        reader.GetSupportedFileDesc(i).c_str());
        }
        return 0;
    }
    int first = 1;
    if (std::strcmp(argv[1], "--") == 0) {
        first = 2;  // every further argument is a file, even one starting with "-"
    } else {
        for (int i = 1; i < argc; ++i) {
            if (argv[i][0] == '-' && argv[i][1] != '\0') {
                std::fprintf(stderr, "varq-inspect: unknown option %s\n", argv[i]);
                PrintUsage(stderr);
                return 2;
            }
        }
    }
    if (first >= argc) {
        PrintUsage(stderr);
        return 2;
    }

    int status = 0;
    for (int i = first; i < argc; ++i) {
        reader.SetFilename(argv[i]);
        const auto start = std::chrono::steady_clock::now();
        const int ok = reader.Read();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (!ok) {
            std::printf("%s\terror: %s\n", argv[i], reader.GetErrorMessage().c_str());
            status = 1;
            continue;
        }
        vtkSmartPointer<vtkDataSet> data = reader.GetOutput();
        double b[6];
        data->GetBounds(b);
        std::printf("%s\t%d\t%lld\t%lld\t%g,%g,%g,%g,%g,%g\t%.1f\n", argv[i],
                    reader.GetOutputType(), static_cast<long long>(data->GetNumberOfPoints()),
                    static_cast<long long>(data->GetNumberOfCells()), b[0], b[1], b[2], b[3], b[4],
                    b[5], ms);
    }
    return status;
}
