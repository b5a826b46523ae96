#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "TestApplication.h"
#include "WorkspaceIcons.h"

TEST(WorkspaceIcons, NineDistinctIconsOnATransparentGround) {
    wexlan::EnsureTestApplication();
    std::set<QByteArray> different;
    for (const QPixmap& icon : wexlan::DrawWorkspaceIcons()) {
        const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(24, 24));
        int opaque = 0;
        for (int i = 0; i < 24 * 24; ++i) {
            const QRgb pixel = image.pixel(i % 24, i / 24);
            opaque += qAlpha(pixel) == 255 ? 1 : 0;
            EXPECT_NE(pixel, 0xFFFFFFFFu);  // white is the transparent colour
        }
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // a corner shows the background
        EXPECT_GT(opaque, 60);
        different.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                    static_cast<int>(image.sizeInBytes())));
    }
    EXPECT_EQ(different.size(), 9u);
    EXPECT_TRUE(wexlan::DrawWorkspaceIcon(9).isNull());
}
