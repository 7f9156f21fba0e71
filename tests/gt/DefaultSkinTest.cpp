#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gt/GTResourceManager.h"
#include "gt/GTSkinNames.h"

// The default skin as the build draws it (tools/skingen into bin/skin/default): every name the
// windows use is there, in every state, at the sizes their layouts assume.

namespace {

class DefaultSkinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loaded = skin.LoadSchema(TLV_DEFAULT_SKIN_SCHEMA); }

    static GTSize SizeOf(const std::string& name) {
        const GTSlice* slice = skin.FindSlice(name);
        return slice ? GTSize { slice->width, slice->height } : GTSize { -1, -1 };
    }

    static GTResourceManager skin;
    static bool loaded;
};

GTResourceManager DefaultSkinTest::skin;
bool DefaultSkinTest::loaded = false;

const std::vector<std::string> BUTTONS = {
    skin::BNFRAME_BTN_CUSTOMS,   skin::BNFRAME_BTN_FORUM,     skin::BNFRAME_BTN_NEWS,
    skin::NAME_BTNNAME,          skin::LOGIN_ICON_BTNCLOSE,   skin::LOGIN_ICON_BTNMAX,
    skin::LOGIN_ICON_BTNMIN,     skin::LOGIN_ICON_BTNRESTORE, skin::TOOLBAR_BTNCAPTURE,
    skin::TOOLBAR_BTNCAPTUREIMG, skin::TOOLBAR_BTNCHARGE,     skin::TOOLBAR_BTNCLEARCACHE,
    skin::TOOLBAR_BTNCUSTOM,     skin::TOOLBAR_BTNFORUM,      skin::TOOLBAR_BTNREFRESH,
    skin::TIPS_BTN_OK,           skin::TIPS_BTN_CANCEL,       skin::KX_SHADOW_BTNCLOSE,
};
const std::vector<std::string> TABS = { skin::BNFRAME_BTN_GAME, skin::BNFRAME_BTN_KX };
const std::vector<std::string> PICTURES = {
    skin::BNFRAME_BG,          skin::FRAME_TOP_BKG,
    skin::LOGIN_BG_BKG,        skin::LOGIN_BG_TOPBKG,
    skin::MAINFRAME_BKG,       skin::CHATPANEL_CTRLFRAME,
    skin::PUSHMSG_ICON,        skin::MENU_BKG,
    skin::MENU_ICON,           skin::PROGRESS_BKG,
    skin::PROGRESS_BAR,        skin::PROGRESS_BAR_BG_LEFT,
    skin::PROGRESS_BAR_BG_MID, skin::PROGRESS_BAR_BG_RIGHT,
    skin::PROGRESS_SPLIT,      skin::PROGRESS_STATUS_1,
    skin::PROGRESS_STATUS_2,   skin::PROGRESS_STATUS_3,
    skin::PROGRESS_STATUS_1_2, skin::PROGRESS_STATUS_2_1,
    skin::PROGRESS_STATUS_2_2, skin::PROGRESS_STATUS_3_1,
    skin::PROGRESS_STATUS_3_2, skin::TIPS_BKG,
    skin::TIPS_MSG_EXIT,       skin::TIPS_MSG_SWITCH,
    skin::KX_SHADOW_BKG,       skin::KX_SHADOW_ARROW,
    skin::KX_SHADOW_TXT,       skin::KX_SHADOW_TXT2,
};

TEST_F(DefaultSkinTest, EveryNameInEveryStateIsAVisiblePicture) {
    ASSERT_TRUE(loaded) << TLV_DEFAULT_SKIN_SCHEMA;
    std::vector<std::string> names = PICTURES;
    for (const auto& base : BUTTONS)
        for (const char* state :
             { skin::STATE_NORMAL, skin::STATE_HOT, skin::STATE_PUSHED, skin::STATE_DISABLE })
            names.push_back(base + state);
    for (const auto& base : TABS)
        for (const char* state :
             { skin::STATE_NORMAL_CHECKED, skin::STATE_HOT_CHECKED, skin::STATE_NORMAL_UNCHECKED,
               skin::STATE_HOT_UNCHECKED, skin::STATE_DISABLE, skin::STATE_NORMAL })
            names.push_back(base + state);

    for (const auto& name : names) {
        const GTSlice* slice = skin.FindSlice(name);
        ASSERT_NE(slice, nullptr) << name;
        ASSERT_NE(slice->image, nullptr) << name;
        ASSERT_GT(slice->width, 0) << name;
        ASSERT_GT(slice->height, 0) << name;
        ASSERT_LE(slice->x + slice->width, slice->image->Width()) << name;
        ASSERT_LE(slice->y + slice->height, slice->image->Height()) << name;
        bool visible = false;
        for (int y = slice->y; y < slice->y + slice->height && !visible; ++y)
            for (int x = slice->x; x < slice->x + slice->width && !visible; ++x)
                visible = (slice->image->PixelAt(x, y) >> 24) != 0;
        EXPECT_TRUE(visible) << name << " is fully transparent";
    }
}

TEST_F(DefaultSkinTest, StatesOfAControlShareItsSize) {
    ASSERT_TRUE(loaded);
    for (const auto& base : BUTTONS) {
        const GTSize normal = SizeOf(base + skin::STATE_NORMAL);
        for (const char* state : { skin::STATE_HOT, skin::STATE_PUSHED, skin::STATE_DISABLE })
            EXPECT_EQ(SizeOf(base + state), normal) << base << state;
    }
    for (const auto& base : TABS) {
        const GTSize checked = SizeOf(base + skin::STATE_NORMAL_CHECKED);
        for (const char* state : { skin::STATE_HOT_CHECKED, skin::STATE_NORMAL_UNCHECKED,
                                   skin::STATE_HOT_UNCHECKED, skin::STATE_DISABLE })
            EXPECT_EQ(SizeOf(base + state), checked) << base << state;
    }
    for (const char* step : { skin::PROGRESS_STATUS_1, skin::PROGRESS_STATUS_1_2, skin::PROGRESS_STATUS_2,
                              skin::PROGRESS_STATUS_2_1, skin::PROGRESS_STATUS_2_2, skin::PROGRESS_STATUS_3,
                              skin::PROGRESS_STATUS_3_1, skin::PROGRESS_STATUS_3_2 })
        EXPECT_EQ(SizeOf(step), SizeOf(skin::PROGRESS_STATUS_1)) << step;
}

// Sizes that the windows' layouts take for granted.
TEST_F(DefaultSkinTest, PicturesFitTheLayoutsThatPlaceThem) {
    ASSERT_TRUE(loaded);
    // Drawn stretched over whole windows of fixed size: drawn at their own size, nothing distorts.
    EXPECT_EQ(SizeOf(skin::LOGIN_BG_BKG), (GTSize { 371, 520 }));
    EXPECT_EQ(SizeOf(skin::LOGIN_BG_TOPBKG), (GTSize { 364, 471 }));
    EXPECT_EQ(SizeOf(skin::TIPS_BKG), (GTSize { 322, 209 }));
    EXPECT_EQ(SizeOf(skin::PROGRESS_BKG), (GTSize { 515, 110 }));
    // Pictures placed into fixed rectangles.
    EXPECT_EQ(SizeOf(skin::TIPS_MSG_EXIT), (GTSize { 190, 45 }));
    EXPECT_EQ(SizeOf(skin::TIPS_MSG_SWITCH), (GTSize { 190, 45 }));
    EXPECT_EQ(SizeOf(skin::KX_SHADOW_TXT2), (GTSize { 211, 149 }));
    EXPECT_EQ(SizeOf(skin::KX_SHADOW_TXT), (GTSize { 208, 122 }));
    EXPECT_EQ(SizeOf(skin::KX_SHADOW_ARROW), (GTSize { 84, 187 }));
    EXPECT_EQ(SizeOf(skin::PUSHMSG_ICON), (GTSize { 18, 16 }));
    // Nine-grids are larger than their margins (240/100/240/50; 240/0/240/0; 40/10/0/10; 3 all round).
    for (const char* name : { skin::BNFRAME_BG, skin::MAINFRAME_BKG }) {
        EXPECT_GT(SizeOf(name).width, 480) << name;
        EXPECT_GT(SizeOf(name).height, 150) << name;
    }
    EXPECT_GT(SizeOf(skin::FRAME_TOP_BKG).width, 480);
    EXPECT_EQ(SizeOf(skin::FRAME_TOP_BKG).height, 71);  // the bar's height
    EXPECT_GT(SizeOf(skin::MENU_BKG).width, 40);
    EXPECT_GT(SizeOf(skin::MENU_BKG).height, 20);
    EXPECT_GT(SizeOf(skin::CHATPANEL_CTRLFRAME).width, 6);
    // The progress bar band is 31 high; the step pictures are centred on y 20 from x 400 on.
    for (const char* part :
         { skin::PROGRESS_BAR_BG_LEFT, skin::PROGRESS_BAR_BG_MID, skin::PROGRESS_BAR_BG_RIGHT })
        EXPECT_EQ(SizeOf(part).height, 31) << part;
    EXPECT_LE(SizeOf(skin::PROGRESS_STATUS_3).height, 40);
    EXPECT_LE(400 + SizeOf(skin::PROGRESS_STATUS_3).width, 515);
    // The login panel puts minimise at x 320 and close at x 340 in its 364 pixels.
    EXPECT_LE(SizeOf(std::string(skin::LOGIN_ICON_BTNMIN) + skin::STATE_NORMAL).width, 20);
    EXPECT_LE(340 + SizeOf(std::string(skin::LOGIN_ICON_BTNCLOSE) + skin::STATE_NORMAL).width, 364);
    // The confirmation's buttons fit side by side with 30 pixels at each edge.
    EXPECT_LE(30 + 2 * SizeOf(std::string(skin::TIPS_BTN_OK) + skin::STATE_NORMAL).width + 30, 322);
}

TEST_F(DefaultSkinTest, ThemeColoursAndIconsAreThere) {
    ASSERT_TRUE(loaded);
    std::uint32_t rgb = 0;
    ASSERT_TRUE(skin.FindColor("theme.text", rgb));
    EXPECT_EQ(rgb, 0x969696u);
    ASSERT_TRUE(skin.FindColor("theme.hottext", rgb));
    EXPECT_EQ(rgb, 0xF6C278u);

    const std::filesystem::path dir = std::filesystem::path(TLV_DEFAULT_SKIN_SCHEMA).parent_path();
    auto app = GTResourceManager::LoadPngImage((dir / "app_icon.png").string());
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->Width(), 256);
    for (const char* ico : { "kx.ico", "switch.ico" }) {
        std::ifstream file(dir / ico, std::ios::binary);
        char header[6] = {};
        file.read(header, 6);
        EXPECT_EQ(std::string(header, 4), std::string("\0\0\1\0", 4)) << ico;
        EXPECT_EQ(header[4], 3) << ico;  // 16, 32 and 48 pixels
    }
}

}  // namespace
