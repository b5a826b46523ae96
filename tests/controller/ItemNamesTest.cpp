#include <gtest/gtest.h>

#include "ItemNames.h"
#include "wViewBase.h"

using wexlan::ConstructDataName;
using wexlan::ExtractFilePath;

TEST(TypeFromLabel, FirstTypeWordDecides) {
    EXPECT_EQ(wViewBase::GetTypeFromStr("PointCloud"), 2);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Points [1] marks"), 2);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Surface [0] bunny"), 2);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Hardware [3] Scanner"), 256);
    EXPECT_EQ(wViewBase::GetTypeFromStr("ImageData [2] head"), 4);
    // The list order decides, not the position in the label.
    EXPECT_EQ(wViewBase::GetTypeFromStr("Matrix then ImageData"), 1);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Matrix of a Surface"), 2);
    EXPECT_EQ(wViewBase::GetTypeFromStr("ImageData of Hardware"), 4);
}

TEST(TypeFromLabel, UnknownWordsGiveZero) {
    EXPECT_EQ(wViewBase::GetTypeFromStr("surface"), 0);  // case matters
    EXPECT_EQ(wViewBase::GetTypeFromStr(""), 0);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Point"), 0);
    EXPECT_EQ(wViewBase::GetTypeFromStr("Image"), 0);
}

TEST(IdFromLabel, OneCharacterBetweenBracketsIsTheIndex) {
    EXPECT_EQ(wViewBase::GetIdFromStr("Hardware [3] Scanner"), 3);
    EXPECT_EQ(wViewBase::GetIdFromStr("Surface[7]"), 7);
    EXPECT_EQ(wViewBase::GetIdFromStr("Surface[0]"), 0);
    EXPECT_EQ(wViewBase::GetIdFromStr("x[a]"), 0);  // not a digit
    EXPECT_EQ(wViewBase::GetIdFromStr("[9][5]"), 9);  // the first pair counts
}

TEST(IdFromLabel, AnythingElseCarriesNoIndex) {
    EXPECT_EQ(wViewBase::GetIdFromStr("Surface[12]"), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr("Points[]"), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr("a]b[1"), -1);  // "]" only before "["
    EXPECT_EQ(wViewBase::GetIdFromStr("bunny"), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr("only [ open"), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr("only ] close"), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr(""), -1);
    EXPECT_EQ(wViewBase::GetIdFromStr("["), -1);
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
    EXPECT_EQ(b.GetBoss(), fakeBoss);
    EXPECT_EQ(b.GetErrMsg(), "broken header");

    Holder c;
    c = a;
    EXPECT_EQ(c.GetBoss(), fakeBoss);
    EXPECT_EQ(c.GetErrMsg(), "broken header");
}

TEST(FilePath, FolderPartWithEitherSeparator) {
    EXPECT_EQ(ExtractFilePath("C:\\data\\bunny.vtk"), "C:\\data");
    EXPECT_EQ(ExtractFilePath("/data/bunny.vtk"), "/data");
    EXPECT_EQ(ExtractFilePath("C:bunny.vtk"), "C");
    EXPECT_EQ(ExtractFilePath("bunny.vtk"), "bunny.vtk");
    EXPECT_EQ(ExtractFilePath("C:\\data\\"), "C:\\data");
    EXPECT_EQ(ExtractFilePath("/data/sub\\file.vtk"), "/data/sub");  // the last of either
    EXPECT_EQ(ExtractFilePath("/data\\sub/file.vtk"), "/data\\sub");
    EXPECT_EQ(ExtractFilePath("/bunny.vtk"), "");
    EXPECT_EQ(ExtractFilePath(""), "");
}

TEST(DataName, FileNameWithoutLastExtension) {
    EXPECT_EQ(ConstructDataName("C:\\data\\bunny.vtk"), "bunny");
    EXPECT_EQ(ConstructDataName("/data/bunny.vtk"), "bunny");
    EXPECT_EQ(ConstructDataName("bunny.vtk"), "bunny");
    EXPECT_EQ(ConstructDataName("C:\\data\\scan.part.mha"), "scan.part");
    EXPECT_EQ(ConstructDataName("/data/head.nii.gz"), "head.nii");
    EXPECT_EQ(ConstructDataName("C:bunny.vtk"), "bunny");
    EXPECT_EQ(ConstructDataName("/data/.hidden"), "");
}

TEST(DataName, NoExtensionGivesEmptyName) {
    EXPECT_EQ(ConstructDataName("C:\\data\\README"), "");
    EXPECT_EQ(ConstructDataName("C:\\data.old\\scan"), "");  // the folder's dot does not count
    EXPECT_EQ(ConstructDataName("/data.old/scan"), "");
    EXPECT_EQ(ConstructDataName("C:\\data\\"), "");
    EXPECT_EQ(ConstructDataName(""), "");
}
