#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkStructuredPoints.h>
#include <vtkUnstructuredGrid.h>

#include "wDataResource.h"
#include "wProp.h"
#include "wProtocol.h"
#include "wVolumeResource.h"

namespace {

using Strings = std::vector<std::string>;
using ScriptItems = std::vector<wDataResourceFake::ScriptItem>;

// Adds `count` items named "item<i>" with paths "/data/item<i>.vtk".
void Fill(wDataResourceFake& registry, int count) {
    vtkNew<vtkPolyData> data;
    for (int i = 0; i < count; ++i) {
        const int index = registry.AddData(data);
        registry.SetDataName(index, "item" + std::to_string(i));
        registry.SetFilename(index, "/data/item" + std::to_string(i) + ".vtk");
    }
}

Strings Names(const wDataResourceFake& registry) {
    Strings names;
    for (int i = 0; i < registry.GetNumberOfItems(); ++i) {
        names.push_back(registry.GetDataName(i));
    }
    return names;
}

TEST(Registry, AddAppendsAndRemoveMovesLaterItemsDown) {
    wDataResource models;
    vtkNew<vtkPolyData> a, b, c;
    EXPECT_EQ(models.AddData(a), 0);
    EXPECT_EQ(models.AddData(b), 1);
    EXPECT_EQ(models.AddData(c), 2);
    EXPECT_EQ(a->GetReferenceCount(), 2);  // the registry holds a reference
    models.SetDataName(2, "c");
    models.SetOutputType(2, wexlan::kMarkerData);

    models.RemoveData(1);
    models.RemoveData(-1);  // out of range: nothing
    models.RemoveData(2);
    ASSERT_EQ(models.GetNumberOfItems(), 2);
    EXPECT_EQ(models.GetData(0), a.Get());
    EXPECT_EQ(models.GetData(1), c.Get());
    EXPECT_EQ(models.Find("c"), 1);
    EXPECT_EQ(models.GetOutputType(1), wexlan::kMarkerData);  // moves with its item
    models.RemoveData(0);
    EXPECT_EQ(a->GetReferenceCount(), 1);

    for (int bad : {-1, 1}) {
        EXPECT_THROW(models.GetDataName(bad), std::invalid_argument);
        EXPECT_THROW(models.GetFilename(bad), std::invalid_argument);
        EXPECT_THROW(models.GetData(bad), std::invalid_argument);
        EXPECT_THROW(models.SetDataName(bad, "x"), std::invalid_argument);
        EXPECT_THROW(models.SetFilename(bad, "/x"), std::invalid_argument);
    }
}

TEST(Registry, EachRegistryRefusesWhatItDoesNotHoldAndDescribesWhatItHolds) {
    vtkNew<vtkPolyData> poly;
    vtkNew<vtkUnstructuredGrid> grid;
    vtkNew<vtkImageData> image;
    vtkNew<vtkStructuredPoints> points;  // an image by inheritance
    wDataResource models;
    wVolumeResource images;
    wDataResourceFake any;
    vtkDataSet* const data[] = {nullptr, poly, grid, image, points};
    const bool modelTakes[] = {false, true, true, false, false};
    const bool imageTakes[] = {false, false, false, true, true};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(models.AddData(data[i]) >= 0, modelTakes[i]) << i;
        EXPECT_EQ(images.AddData(data[i]) >= 0, imageTakes[i]) << i;
        EXPECT_EQ(any.AddData(data[i]) >= 0, data[i] != nullptr) << i;
    }
    EXPECT_EQ(models.GetNumberOfItems(), 2);
    EXPECT_EQ(models.GetType(), "model");
    EXPECT_EQ(images.GetType(), "image");
    wProp* prop = models.GetProperty();  // the registry's description follows its items
    EXPECT_EQ(prop->GetType(), "model");
    EXPECT_EQ(prop->GetValue("Name"), "model");
    EXPECT_EQ(prop->GetValue("Items"), "2");
    EXPECT_EQ(prop->GetPropertyDataType(prop->FindTag("Items")), wProp::Integer);
    models.RemoveData(0);
    EXPECT_EQ(models.GetProperty()->GetValue("Items"), "1");
}

TEST(Registry, DuplicateNamesAreDecoratedAndFindFollowsChanges) {
    wDataResource models;
    Fill(models, 5);
    models.SetDataName(0, "skull");
    models.SetDataName(1, "skull");
    models.SetDataName(2, "skull");
    models.SetDataName(1, "skull (2)");  // its own name: unchanged
    EXPECT_EQ(Names(models), (Strings{"skull", "skull (2)", "skull (3)", "item3", "item4"}));
    EXPECT_EQ(models.Find("skull (3)"), 2);
    EXPECT_EQ(models.Find("item2"), -1);
    EXPECT_EQ(models.Find("Skull"), -1);  // case-sensitive

    models.SetDataName(0, "jaw");  // frees "skull" for the next taker
    models.SetDataName(3, "skull");
    EXPECT_EQ(models.GetDataName(3), "skull");
    models.RemoveData(0);
    EXPECT_EQ(models.Find("jaw"), -1);
    EXPECT_EQ(models.Find("skull"), 2);
    EXPECT_EQ(models.Find("item4"), 3);
    EXPECT_EQ(models.FindFilename("/data/item4.vtk"), 3);

    models.SetDataName(0, "");  // unnamed items are never found
    EXPECT_EQ(models.Find(""), -1);
    EXPECT_EQ(models.Find("skull (2)"), -1);
}

TEST(Registry, LastDataNameIsTheNewestItemStillPresent) {
    wVolumeResource images;
    EXPECT_EQ(images.GetLastDataName(), "");
    vtkNew<vtkImageData> image;
    for (const char* name : {"a", "b", "c"}) {
        images.SetDataName(images.AddData(image), name);
    }
    images.RemoveData(0);
    EXPECT_EQ(images.GetLastDataName(), "c");
    images.RemoveData(1);
    EXPECT_EQ(images.GetLastDataName(), "b");
    images.SetDataName(images.AddData(image), "b");
    EXPECT_EQ(images.GetLastDataName(), "b (2)");
    images.RemoveData(0);
    images.RemoveData(0);
    EXPECT_EQ(images.GetLastDataName(), "");
}

TEST(Registry, PathsCompareAfterLexicalNormalisation) {
    const std::pair<const char*, const char*> forms[] = {
        {"a//b/./c", "a/b/c"},
        {"/data/x/../case//f.vtk", "/data/case/f.vtk"},
        {"C:\\data\\f.vtk", "C:/data/f.vtk"},
        {"/data/case/", "/data/case"},
        {"./a/b/.", "a/b"},
        {"../a", "../a"},
        {"/a/.hidden/..x/f", "/a/.hidden/..x/f"},
        {"/", "/"},
        {"", ""}};
    for (const auto& [path, normal] : forms) {
        EXPECT_EQ(wDataResourceFake::NormalizePath(path), normal) << path;
    }
    wDataResource models;
    Fill(models, 2);
    models.SetFilename(1, "/data//case/./skull.vtk");
    EXPECT_EQ(models.GetFilename(1), "/data//case/./skull.vtk");  // stored as given
    EXPECT_EQ(models.FindFilename("\\data\\case\\skull.vtk"), 1);
    EXPECT_EQ(models.FindFilename("/data/case/Skull.vtk"), -1);
    EXPECT_EQ(models.FindFilename("/data/item1.vtk"), -1);  // its old path
    EXPECT_EQ(models.FindFilename(""), -1);

    // A path shared by several items finds the lowest index.
    Fill(models, 2);
    models.SetFilename(3, "/shared.vtk");
    models.SetFilename(1, "//shared.vtk/");
    models.SetFilename(2, "/shared.vtk");
    EXPECT_EQ(models.FindFilename("/shared.vtk"), 1);
    models.SetFilename(1, "/other.vtk");
    EXPECT_EQ(models.FindFilename("/shared.vtk"), 2);
    models.RemoveData(0);
    models.RemoveData(1);
    EXPECT_EQ(models.FindFilename("/shared.vtk"), 1);
    models.RemoveData(1);
    EXPECT_EQ(models.FindFilename("/shared.vtk"), -1);
    EXPECT_EQ(models.FindFilename("/other.vtk"), 0);
}

TEST(Registry, ScriptIsOneEscapedLinePerItemAndReadsBack) {
    wVolumeResource images;
    EXPECT_EQ(images.GetScript(), "");
    vtkNew<vtkImageData> image;
    images.SetDataName(images.AddData(image), "plain");
    images.SetFilename(0, "/data/a.vti");
    EXPECT_EQ(images.GetScript(), "image\tplain\t/data/a.vti\n");

    images.SetType("#image");  // would start a comment line unless escaped
    const std::vector<std::pair<std::string, std::string>> awkward = {
        {"plain", "/data/a.vti"},
        {"tab\there", "C:\\scans\\a.vti"},
        {"two\nlines\r", "/with\ttab/b.vti"},
        {"#hash", "/data/#x.vti"},
        {"back\\slash\\", ""},
        {"", "/data/ünïcode.vti"}};
    for (size_t i = 1; i < awkward.size(); ++i) {
        const int index = images.AddData(image);
        images.SetDataName(index, awkward[i].first);
        images.SetFilename(index, awkward[i].second);
    }
    const std::string script = images.GetScript();
    EXPECT_EQ(script.find('\r'), std::string::npos);
    EXPECT_EQ(("\n" + script).find("\n#"), std::string::npos);  // no comment lines
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 6);

    ScriptItems items;
    ASSERT_TRUE(wDataResourceFake::ParseScript(script, items));
    ASSERT_EQ(items.size(), awkward.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].type, "#image");
        EXPECT_EQ(items[i].name, awkward[i].first);
        EXPECT_EQ(items[i].filename, awkward[i].second);
    }
}

TEST(Registry, ScriptParserSkipsCommentsAndRefusesMalformedLines) {
    ScriptItems items;
    ASSERT_TRUE(wDataResourceFake::ParseScript(
        "# MODELS\r\nmodel\ta\t/a.vtk\r\n\n\nmodel\t\t\n# VOLUMES\nimage\tb\t/b.vti", items));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].filename, "/a.vtk");
    EXPECT_EQ(items[1].name, "");
    EXPECT_EQ(items[2].filename, "/b.vti");

    for (const char* bad : {"model\ta\n", "model\ta\t/a\textra\n", "model\ta\\x\t/a\n",
                            "model\ta\t/a\\\n", "model\tok\t/ok\nbroken\n"}) {
        EXPECT_FALSE(wDataResourceFake::ParseScript(bad, items)) << bad;
        EXPECT_EQ(items.size(), 3u);  // untouched
    }
}

}  // namespace
