#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skin/ToolbarLayer.h"

namespace {

// A page with buttons wired the way the wizard wires them: the pressed face's events and the
// image's move go to one tracker; a release records the role and may change the page.
struct Page {
    TImage32 image;
    ButtonPointerTracker tracker;
    std::vector<int> roles;
    std::function<void(int)> onRole;

    Page()
    {
        image.Bitmap().Resize(285, 260);
        image.Bitmap().FillAll(0xFFFFFFFF);
        image.OnMouseMove = [this](TImage32* sender, TShiftState, int, int, TBitmapLayer*) {
            tracker.ImageMove(*sender);
        };
    }

    struct Button {
        TToolbarLayer *normal, *hover, *pressed;
    };

    std::vector<std::unique_ptr<TImageButton>> buttons;

    Button Add(int left, int top, int role)
    {
        // Each face filled with a colour of its own.
        buttons.push_back(std::make_unique<TImageButton>(
            image, L"Ok", TRect{left, top, left + 78, top + 25}, role,
            [](TBitmap32& face, int number) { face.FillAll(0xFF000000u | number); }));
        TToolbarLayer* faces[3] = {buttons.back()->Normal, buttons.back()->Hover,
                                   buttons.back()->Pressed};
        faces[2]->OnMouseDown = [this](TBitmapLayer* s, TMouseButton, TShiftState, int, int) {
            tracker.ButtonDown(static_cast<TToolbarLayer*>(s));
        };
        faces[2]->OnMouseMove = [this](TBitmapLayer* s, TShiftState, int, int) {
            tracker.ButtonMove(static_cast<TToolbarLayer*>(s));
        };
        faces[2]->OnMouseUp = [this](TBitmapLayer* s, TMouseButton, TShiftState, int, int) {
            const int role = tracker.ButtonUp(static_cast<TToolbarLayer*>(s));
            roles.push_back(role);
            if (onRole)
                onRole(role);
        };
        return {faces[0], faces[1], faces[2]};
    }

    void ClearPage()
    {
        buttons.clear();
        TLayerCollection& layers = image.Layers();
        for (int i = layers.Count() - 1; i >= 0; --i)
            layers.Free(layers.Item(i));
    }
};

// Master alphas of normal, hover and pressed face.
std::vector<int> Shown(const Page::Button& b)
{
    return {b.normal->Bitmap().MasterAlpha(), b.hover->Bitmap().MasterAlpha(), b.pressed->Bitmap().MasterAlpha()};
}

const std::vector<int> normalFace{255, 0, 0}, hoverFace{0, 255, 0}, pressedFace{0, 0, 255}, noFace{0, 0, 0};

}  // namespace

TEST(ButtonFace, CreateSetsModeAlphaSizeAndLocationAndDrawsTheSource)
{
    TImage32 image;
    TToolbarLayer* face = nullptr;
    TBitmap32 source;
    source.Resize(2, 2);
    source.FillAll(0xFF336699);
    CreateButtonFace(face, true, image, &source, dmBlend, 0, 200, 230, 78, 25);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(image.Layers().Count(), 1);
    EXPECT_EQ(face->Bitmap().DrawMode(), dmBlend);
    EXPECT_EQ(face->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(face->Bitmap().Width(), 78);
    EXPECT_EQ(face->Bitmap().Pixel(1, 1), 0xFF336699u);
    EXPECT_EQ(face->Bitmap().Pixel(2, 0), 0u);
    EXPECT_EQ(face->Location().Left, 200.0f);
    EXPECT_EQ(face->Location().Bottom, 255.0f);
    EXPECT_EQ(face->KindMark, 0);
    EXPECT_EQ(face->LowerFace, nullptr);
    EXPECT_FALSE(face->IsHoverFace);
    EXPECT_EQ(face->ButtonRole, 0);

    // Reused: same layer, new size, old pixels gone.
    TToolbarLayer* same = face;
    CreateButtonFace(face, false, image, nullptr, dmOpaque, 255, 0, 0, 10, 5);
    EXPECT_EQ(face, same);
    EXPECT_EQ(image.Layers().Count(), 1);
    EXPECT_EQ(face->Bitmap().Width(), 10);
    EXPECT_EQ(face->Bitmap().Pixel(1, 1), 0u);
    EXPECT_EQ(face->Location().Right, 10.0f);

    // Faces are told apart by class and mark.
    EXPECT_EQ(AsButtonFace(face), nullptr);
    face->KindMark = ButtonFaceMark;
    EXPECT_EQ(AsButtonFace(face), face);
    EXPECT_EQ(AsButtonFace(image.Layers().Add<TBitmapLayer>()), nullptr);
}

TEST(ImageButton, ThreeLinkedFacesBottomToTopEachPaintedAsItself)
{
    Page page;
    page.image.Layers().Add<TBitmapLayer>();  // a layer below stays below
    page.Add(30, 230, 1);
    const TImageButton& b = *page.buttons.back();
    EXPECT_EQ(b.Caption(), L"Ok");
    EXPECT_EQ(b.Role(), 1);
    EXPECT_EQ(b.Rect().Right, 108);
    TToolbarLayer* const faces[3] = {b.Normal, b.Hover, b.Pressed};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(faces[i]->Index(), i + 1);
        EXPECT_EQ(AsButtonFace(faces[i]), faces[i]);
        EXPECT_EQ(faces[i]->LowerFace, i ? faces[i - 1] : nullptr);
        EXPECT_EQ(faces[i]->IsHoverFace, i == 1);
        EXPECT_EQ(faces[i]->ButtonRole, i == 2 ? 1 : 0);
        EXPECT_EQ(faces[i]->Bitmap().Pixel(5, 5), 0xFF000000u | (i + 1));
        EXPECT_EQ(faces[i]->PixelRect().Left, 30);
        EXPECT_EQ(faces[i]->PixelRect().Bottom, 255);
    }
}

TEST(ButtonProtocol, NewButtonShowsItsNormalFaceAndPaintsIt)
{
    Page page;
    const Page::Button b = page.Add(110, 230, 2);
    EXPECT_EQ(Shown(b), normalFace);
    TBitmap32 buffer;
    buffer.Resize(285, 260);
    page.image.PaintTo(buffer, {0, 0, 285, 260});
    EXPECT_EQ(buffer.Pixel(110, 230), 0xFF000001u);
    EXPECT_EQ(buffer.Pixel(187, 254), 0xFF000001u);
    EXPECT_EQ(buffer.Pixel(188, 254), 0xFFFFFFFFu);
}

TEST(ButtonProtocol, OnlyTheSecondOfTwoImageMovesWithoutAButtonMoveRestores)
{
    Page page;
    const Page::Button b = page.Add(110, 230, 3);
    // The halves of one move over the button: the button's, then the image's.
    page.tracker.ButtonMove(b.pressed);
    EXPECT_FALSE(page.tracker.PointerOnBareImage);
    EXPECT_FALSE(page.tracker.ImageMove(page.image));
    EXPECT_EQ(Shown(b), hoverFace);
    EXPECT_TRUE(page.tracker.PointerOnBareImage);
    // The next image move that no button move preceded is the second in a row: restore.
    EXPECT_TRUE(page.tracker.ImageMove(page.image));
    EXPECT_EQ(Shown(b), normalFace);
    EXPECT_TRUE(page.tracker.ImageMove(page.image));

    // The same through the image's dispatch, starting afresh: the first bare move of all
    // restores nothing, a move over the button shows hover, the next bare move restores.
    Page fresh;
    const Page::Button f = fresh.Add(110, 230, 3);
    f.hover->Bitmap().SetMasterAlpha(255);
    f.normal->Bitmap().SetMasterAlpha(0);
    fresh.image.MouseMove(0, 5, 5);
    EXPECT_EQ(Shown(f), hoverFace);
    fresh.image.MouseMove(0, 6, 5);
    EXPECT_EQ(Shown(f), normalFace);
    fresh.image.MouseMove(0, 150, 240);
    EXPECT_EQ(Shown(f), hoverFace);
    fresh.image.MouseMove(0, 150, 200);
    EXPECT_EQ(Shown(f), normalFace);
}

TEST(ButtonProtocol, PressDragOffAndReleaseElsewhereCarriesOutTheRole)
{
    Page page;
    const Page::Button next = page.Add(110, 230, 3);
    const Page::Button cancel = page.Add(200, 230, 10);

    page.image.MouseMove(0, 150, 240);
    EXPECT_EQ(Shown(next), hoverFace);
    page.image.MouseDown(mbRight, ssRight, 150, 240);
    EXPECT_EQ(Shown(next), pressedFace);
    // Dragging off, even across the other button: the held button gets the moves, shows hover.
    page.image.MouseMove(ssRight, 20, 20);
    EXPECT_EQ(Shown(next), hoverFace);
    page.image.MouseMove(ssRight, 210, 240);
    EXPECT_EQ(Shown(next), hoverFace);
    EXPECT_EQ(Shown(cancel), normalFace);
    page.image.MouseUp(mbRight, 0, 20, 20);
    EXPECT_EQ(page.roles, std::vector<int>{3});
    EXPECT_EQ(Shown(next), hoverFace);  // only the pressed face changes on release

    // Press and release in place: no face shows until the next move.
    page.image.MouseDown(mbLeft, ssLeft, 210, 240);
    EXPECT_EQ(Shown(cancel), pressedFace);
    page.image.MouseUp(mbLeft, 0, 210, 240);
    EXPECT_EQ(Shown(cancel), noFace);
    EXPECT_EQ(page.roles, (std::vector<int>{3, 10}));
    page.image.MouseMove(0, 211, 240);
    EXPECT_EQ(Shown(cancel), hoverFace);
    // Leaving the form restores every button at once.
    page.tracker.PointerLeft(page.image);
    EXPECT_EQ(Shown(cancel), normalFace);
    EXPECT_EQ(Shown(next), normalFace);
}

TEST(ButtonProtocol, RestoreTouchesOnlyMarkedHoverFaces)
{
    Page page;
    const Page::Button b = page.Add(30, 230, 1);
    b.hover->Bitmap().SetMasterAlpha(255);
    b.normal->Bitmap().SetMasterAlpha(0);
    TToolbarLayer* stranger = page.image.Layers().Add<TToolbarLayer>();  // no mark
    TToolbarLayer* lower = page.image.Layers().Add<TToolbarLayer>();
    lower->Bitmap().SetMasterAlpha(0);
    stranger->IsHoverFace = true;
    stranger->LowerFace = lower;
    TToolbarLayer* orphan = page.image.Layers().Add<TToolbarLayer>();  // marked, no lower face
    orphan->KindMark = ButtonFaceMark;
    orphan->IsHoverFace = true;
    RestoreAllButtons(page.image);
    EXPECT_EQ(Shown(b), normalFace);
    EXPECT_EQ(stranger->Bitmap().MasterAlpha(), 255);
    EXPECT_EQ(lower->Bitmap().MasterAlpha(), 0);
    EXPECT_EQ(orphan->Bitmap().MasterAlpha(), 0);
    // A chain with faces missing is skipped, not followed into nothing.
    ShowPressedFace(orphan);
    EXPECT_EQ(orphan->Bitmap().MasterAlpha(), 255);
    ShowHoverFace(orphan);
    EXPECT_EQ(orphan->Bitmap().MasterAlpha(), 0);
    ShowHoverFace(nullptr);
    HidePressedFace(nullptr);
    EXPECT_EQ(page.tracker.ButtonUp(nullptr), 0);
}

TEST(ButtonProtocol, ReleaseThatChangesThePageFreesEveryFaceSafely)
{
    Page page;
    page.Add(110, 230, 2);
    page.Add(200, 230, 10);
    Page::Button back{};
    page.onRole = [&](int role) {
        if (role != 2)
            return;
        page.ClearPage();
        back = page.Add(30, 230, 1);
    };
    page.image.MouseDown(mbLeft, ssLeft, 120, 240);
    page.image.MouseMove(ssLeft, 0, 0);
    page.image.MouseUp(mbLeft, 0, 0, 0);
    ASSERT_EQ(page.image.Layers().Count(), 3);
    EXPECT_EQ(Shown(back), normalFace);
    EXPECT_EQ(page.image.MouseHolder(), nullptr);
    page.image.MouseMove(0, 40, 240);
    EXPECT_EQ(Shown(back), hoverFace);
    page.image.MouseDown(mbLeft, ssLeft, 40, 240);
    page.image.MouseUp(mbLeft, 0, 40, 240);
    EXPECT_EQ(page.roles, (std::vector<int>{2, 1}));
}
