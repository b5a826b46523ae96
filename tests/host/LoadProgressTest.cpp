// The status bar's loading indicator over real background reads.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../controller/TestData.h"
#include "../facade/SlowReader.h"
#include "BackgroundReads.h"
#include "LoadProgress.h"
#include "TestApplication.h"

using ::testing::ElementsAre;

class LoadProgressTest : public testdata::AppTest, wexlan::WithTestApplication {};

TEST_F(LoadProgressTest, ShowsAfterAMomentStaysAcrossAGroupAndCancels) {
    QMainWindow window;
    wexlan::BackgroundReads reads;
    LoadProgress progress(reads, &window);
    std::vector<std::string> notes;
    QObject::connect(&progress, &LoadProgress::noted,
                     [&](const QString& text) { notes.push_back(text.toStdString()); });
    // What the indicator shows at 100 ms and at 250 ms into each read.
    std::vector<std::string> seen;
    const auto look = [&] {
        seen.push_back(progress.isVisible() ? progress.findChild<QLabel*>()->text().toStdString()
                                            : "hidden");
    };
    QObject::connect(&reads, &wexlan::BackgroundReads::started, [&] {
        QTimer::singleShot(100, look);
        QTimer::singleShot(250, look);
    });
    window.show();
    testdata::SlowReader reader;
    const std::string mesh = testdata::WriteTriangle(Data("bunny.vtk"));
    reader.SetFilename(mesh);
    EXPECT_EQ(reads.Read(reader, {1, 2, true}), 1);
    EXPECT_EQ(reads.Read(reader, {2, 2, true}), 1);
    EXPECT_THAT(seen, ElementsAre("hidden", "Loading bunny.vtk (1 of 2)",
                                  "Loading bunny.vtk (2 of 2)", "Loading bunny.vtk (2 of 2)"));
    QApplication::processEvents();
    EXPECT_FALSE(progress.isVisible()) << "gone once the group has loaded";

    // Cancel: the read stops and the note says what was left out.
    QTimer::singleShot(250, progress.findChild<QPushButton*>(), &QPushButton::click);
    EXPECT_EQ(reads.Read(reader, {2, 4, true}), 0);
    EXPECT_THAT(notes,
                ElementsAre("Opened " + mesh + " (1 of 2)", "Opened " + mesh + " (2 of 2)",
                            "Cancelled: bunny.vtk was not loaded, nor the 2 files after it"));
}
