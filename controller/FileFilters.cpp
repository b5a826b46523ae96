#include "FileFilters.h"

#include "wFileReader.h"

namespace wexlan {

std::vector<FileFormat> SupportedFormats(const wFileReader& reader) {
    std::vector<FileFormat> formats;
    for (int i = 0; i < reader.GetNumberOfSupportedFileFormat(); ++i) {
        formats.push_back({reader.GetSupportedFileDesc(i), reader.GetSupportedFileExt(i)});
    }
    return formats;
}

std::string OpenDataFilterText(const std::vector<FileFormat>& formats) {
    const size_t count = formats.size();
    std::string filter = "All supported file formats (";
    std::string all;
    for (size_t i = 0; i < count; ++i) {
        const std::string pattern = "*." + formats[i].extension;
        filter += pattern + (i + 1 < count ? "," : ")");
        all += pattern + ";";
    }
    filter += "|" + all + "|";
    for (const FileFormat& format : formats) {
        const std::string pattern = "*." + format.extension;
        filter += format.description + " (" + pattern + ")|" + " " + pattern + "|";
    }
    return filter + "|";
}

std::string SaveModelFilterText() {
    return "VTK (*.vtk)|*.vtk;|";
}

std::string WorkspaceFilterText() {
    return "Script file (*.f) | *.f |";
}

}  // namespace wexlan
