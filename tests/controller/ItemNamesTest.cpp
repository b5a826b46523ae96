#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "ItemNames.h"
#include "wViewBase.h"

using wexlan::ConstructDataName;
using wexlan::ExtractFilePath;

TEST(ItemLabels, TypeIsTheFirstWordOfTheTypeListAndIdTheOneCharacterInBrackets) {
    // The list order decides the type, not the position in the label; case matters. A
    // non-digit between the brackets is index 0, and only the first pair counts.
    // Type, id, and the labels that give them:
    const std::tuple<int, int, std::vector<const char*>> groups[] = {
        {0, -1, {"surface", "", "Point", "Image", "bunny"}},
        {0, -1, {"a]b[1", "only [ open", "only ] close", "["}},
        {2, -1, {"PointCloud", "Matrix of a Surface", "Surface[12]", "Points[]"}},
        {2, 0, {"Surface [0] bunny", "Surface[0]"}},
        {2, 1, {"Points [1] marks"}},
        {2, 7, {"Surface[7]"}},
        {256, 3, {"Hardware [3] Scanner"}},
        {4, 2, {"ImageData [2] head"}},
        {4, -1, {"ImageData of Hardware"}},
        {1, -1, {"Matrix then ImageData"}},
        {0, 0, {"x[a]"}},
        {0, 9, {"[9][5]"}}};
    for (const auto& [type, id, labels] : groups) {
        for (const char* label : labels) {
            EXPECT_EQ(wViewBase::GetTypeFromStr(label), type) << label;
            EXPECT_EQ(wViewBase::GetIdFromStr(label), id) << label;
        }
    }
}

TEST(ItemNames, FolderWithEitherSeparatorAndNameWithoutTheLastExtension) {
    // path, folder, data name
    const char* cases[][3] = {{"C:\\data\\bunny.vtk", "C:\\data", "bunny"},
                              {"/data/bunny.vtk", "/data", "bunny"},
                              {"C:bunny.vtk", "C", "bunny"},
                              {"bunny.vtk", "bunny.vtk", "bunny"},
                              {"C:\\data\\", "C:\\data", ""},
                              {"/data/sub\\file.vtk", "/data/sub", "file"},
                              {"/data\\sub/file.vtk", "/data\\sub", "file"},
                              {"/bunny.vtk", "", "bunny"},
                              {"", "", ""},
                              {"C:\\data\\scan.part.mha", "C:\\data", "scan.part"},
                              {"/data/head.nii.gz", "/data", "head.nii"},
                              {"/data/.hidden", "/data", ""},
                              {"C:\\data\\README", "C:\\data", ""},
                              {"C:\\data.old\\scan", "C:\\data.old", ""},
                              {"/data.old/scan", "/data.old", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c[0]), c[1]) << c[0];
        EXPECT_EQ(ConstructDataName(c[0]), c[2]) << c[0];
    }
}
