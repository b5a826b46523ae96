#include <gtest/gtest.h>

#include "ItemNames.h"
#include "wViewBase.h"

using wexlan::ConstructDataName;
using wexlan::ExtractFilePath;

TEST(ItemLabels, TypeIsTheFirstWordOfTheTypeListAndIdTheOneCharacterInBrackets) {
    // The list order decides the type, not the position in the label; case matters. A
    // non-digit between the brackets is index 0, and only the first pair counts.
    const auto expect = [](const char* label, int type, int id) {
        EXPECT_EQ(wViewBase::GetTypeFromStr(label), type) << label;
        EXPECT_EQ(wViewBase::GetIdFromStr(label), id) << label;
    };
    expect("PointCloud", 2, -1);
    expect("Points [1] marks", 2, 1);
    expect("Surface [0] bunny", 2, 0);
    expect("Hardware [3] Scanner", 256, 3);
    expect("ImageData [2] head", 4, 2);
    expect("Matrix then ImageData", 1, -1);
    expect("Matrix of a Surface", 2, -1);
    expect("ImageData of Hardware", 4, -1);
    expect("surface", 0, -1);
    expect("", 0, -1);
    expect("Point", 0, -1);
    expect("Image", 0, -1);
    expect("Surface[7]", 2, 7);
    expect("Surface[0]", 2, 0);
    expect("x[a]", 0, 0);
    expect("[9][5]", 0, 9);
    expect("Surface[12]", 2, -1);
    expect("Points[]", 2, -1);
    expect("a]b[1", 0, -1);
    expect("bunny", 0, -1);
    expect("only [ open", 0, -1);
    expect("only ] close", 0, -1);
    expect("[", 0, -1);
}

TEST(ViewBase, StartsEmptyAndCopiesBothFields) {
    class Holder : public wViewBase {
    public:
        void Fail(const std::string& text) { SetErrMsg(text); }
    };
    Holder a;
    EXPECT_EQ(a.GetBoss(), nullptr);
    EXPECT_EQ(a.GetErrMsg(), "");
    auto* fakeBoss = reinterpret_cast<CWexlanCPEXE*>(0x1000);
    a.SetBoss(fakeBoss);
    a.Fail("broken header");
    Holder b(a);
    Holder c;
    c = a;
    for (const Holder* copy : {&b, &c}) {
        EXPECT_EQ(copy->GetBoss(), fakeBoss);
        EXPECT_EQ(copy->GetErrMsg(), "broken header");
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
