// The template reader under the pixel layout: both template forms, fonts or none, and cut input.
#include "skin/DialogTemplate.h"
#include "support/TemplateBuilder.h"

#include <gtest/gtest.h>

namespace {

TemplateBuilder Sample(bool extended, int pointSize) {
    TemplateBuilder t(extended, 0x80000000u, 506, 430, pointSize, "MS Shell Dlg");
    t.Add({1060, 30, 36, 107, 24, 0x80, "Targets", 0x50010000u});
    t.Add({0xFFFFFFFFu, 26, 86, 140, 14, 0x82, "Scan action speed:", 0x50000000u});
    t.Add({1, 276, 392, 100, 26, 0x80, "OK", 0x50010001u});
    return t;
}

TEST(DialogTemplate, ReadsEveryRectangleOfBothForms) {
    for (bool extended : {true, false}) {
        for (int pointSize : {0, 8, 20}) {
            const std::vector<uint8_t> bytes = Sample(extended, pointSize).Build();
            const auto g = dialog_template::ReadGeometry(bytes.data(), bytes.size());
            ASSERT_TRUE(g) << "extended " << extended << ", point size " << pointSize;
            EXPECT_EQ(g->dialog.cx, 506);
            EXPECT_EQ(g->dialog.cy, 430);
            ASSERT_EQ(g->items.size(), 3u);
            EXPECT_EQ(g->items[0].id, 1060u);
            EXPECT_EQ(g->items[0].rect.x, 30);
            EXPECT_EQ(g->items[0].rect.cx, 107);
            EXPECT_EQ(g->items[1].id & 0xFFFF, 0xFFFFu);  // a label's -1
            EXPECT_EQ(g->items[1].rect.y, 86);
            EXPECT_EQ(g->items[2].id, 1u);
            EXPECT_EQ(g->items[2].rect.x, 276);
            EXPECT_EQ(g->items[2].rect.y, 392);
            EXPECT_EQ(g->items[2].rect.cy, 26);
        }
    }
}

TEST(DialogTemplate, RefusesEveryCutOfATemplate) {
    const std::vector<uint8_t> bytes = Sample(true, 8).Build();
    // The last item ends with its creation-data count: any shorter input lacks part of it.
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(dialog_template::ReadGeometry(bytes.data(), size)) << "cut at " << size;
    EXPECT_FALSE(dialog_template::ReadGeometry(nullptr, 100));
}

}  // namespace
