#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <set>

#include "TestApplication.h"
#include "WorkspaceIcons.h"

TEST(WorkspaceIcons, NineDistinctIconsOnATransparentGround) {
    wexlan::EnsureTestApplication();
    std::set<QByteArray> different;
    for (const QPixmap& icon : wexlan::DrawWorkspaceIcons()) {
        ASSERT_EQ(icon.size(), QSize(24, 24));
        const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int i = 0; i < 24 * 24; ++i) {
            const QRgb pixel = image.pixel(i % 24, i / 24);
            opaque += qAlpha(pixel) == 255 ? 1 : 0;
            // White is the transparent colour: no opaque pixel is pure white.
            EXPECT_FALSE(qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) == 0xFFFFFF);
        }
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // a corner shows the background
        EXPECT_GT(opaque, 60);
        different.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                    static_cast<int>(image.sizeInBytes())));
    }
    EXPECT_EQ(different.size(), 9u);
    EXPECT_TRUE(wexlan::DrawWorkspaceIcon(9).isNull());
}
