#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/Image32.h"

namespace {

// Records every event of an image and of its layers, in order, as short strings.
struct EventLog {
    std::vector<std::string> lines;

    void Watch(TBitmapLayer* layer, const std::string& name)
    {
        layer->OnMouseDown = [this, name](TBitmapLayer*, TMouseButton b, TShiftState, int x, int y) {
            lines.push_back(name + " down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        layer->OnMouseMove = [this, name](TBitmapLayer*, TShiftState, int x, int y) {
            lines.push_back(name + " move " + std::to_string(x) + "," + std::to_string(y));
        };
        layer->OnMouseUp = [this, name](TBitmapLayer*, TMouseButton b, TShiftState, int x, int y) {
            lines.push_back(name + " up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
    }

    void Watch(TImage32& image, const std::vector<std::pair<TBitmapLayer*, std::string>>& names)
    {
        auto nameOf = [names](TBitmapLayer* l) {
            for (const auto& n : names)
                if (n.first == l)
                    return n.second;
            return std::string(l ? "?" : "none");
        };
        image.OnMouseDown = [this, nameOf](TImage32*, TMouseButton, TShiftState, int, int, TBitmapLayer* l) {
            lines.push_back("image down " + nameOf(l));
        };
        image.OnMouseMove = [this, nameOf](TImage32*, TShiftState, int, int, TBitmapLayer* l) {
            lines.push_back("image move " + nameOf(l));
        };
        image.OnMouseUp = [this, nameOf](TImage32*, TMouseButton, TShiftState, int, int, TBitmapLayer* l) {
            lines.push_back("image up " + nameOf(l));
        };
    }

    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(lines);
        return out;
    }
};

using Lines = std::vector<std::string>;

TBitmapLayer* LayerAt(TImage32& image, float l, float t, float r, float b)
{
    TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
    layer->SetLocation({l, t, r, b});
    return layer;
}

}  // namespace

TEST(LayerHitTest, HalfOpenOnFloatEdgesAndDefaults)
{
    TImage32 image;
    TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
    const TFloatRect def = layer->Location();
    EXPECT_EQ(def.Left, 0);
    EXPECT_EQ(def.Right, 64);
    EXPECT_EQ(def.Bottom, 64);
    EXPECT_TRUE(layer->Visible);
    EXPECT_TRUE(layer->MouseEvents);
    EXPECT_EQ(layer->Bitmap().DrawMode(), dmOpaque);
    EXPECT_EQ(layer->Bitmap().MasterAlpha(), 255);
    EXPECT_TRUE(layer->Bitmap().Empty());

    layer->SetLocation({30, 230, 108, 255});
    EXPECT_TRUE(layer->HitTest(30, 230));
    EXPECT_TRUE(layer->HitTest(107, 254));
    EXPECT_FALSE(layer->HitTest(108, 240));
    EXPECT_FALSE(layer->HitTest(50, 255));
    EXPECT_FALSE(layer->HitTest(29, 240));
    EXPECT_FALSE(layer->HitTest(50, 229));
    layer->SetLocation({10.5f, 0, 12.5f, 1});
    EXPECT_FALSE(layer->HitTest(10, 0));
    EXPECT_TRUE(layer->HitTest(11, 0));
    EXPECT_TRUE(layer->HitTest(12, 0));
    EXPECT_FALSE(layer->HitTest(13, 0));
}

TEST(LayerCollection, OrderIndexAndFree)
{
    TImage32 image;
    TLayerCollection& layers = image.Layers();
    TBitmapLayer* a = layers.Add<TBitmapLayer>();
    TBitmapLayer* b = layers.Add<TBitmapLayer>();
    TBitmapLayer* c = layers.Add<TBitmapLayer>();
    ASSERT_EQ(layers.Count(), 3);
    EXPECT_EQ(layers.Item(0), a);
    EXPECT_EQ(layers.Item(2), c);
    EXPECT_EQ(c->Index(), 2);
    layers.Free(b);
    ASSERT_EQ(layers.Count(), 2);
    EXPECT_EQ(layers.Item(1), c);
    EXPECT_EQ(c->Index(), 1);
    delete a;  // a layer deleted directly leaves the list as well
    EXPECT_EQ(layers.Count(), 1);
    layers.Free(nullptr);
    TImage32 other;
    layers.Free(other.Layers().Add<TBitmapLayer>());  // not ours: ignored
    EXPECT_EQ(other.Layers().Count(), 1);
    EXPECT_EQ(layers.Count(), 1);
}

TEST(LayerPainting, BitmapThenVisibleLayersBottomUpClippedToTheArea)
{
    TImage32 image;
    image.Bitmap().Resize(6, 4);
    image.Bitmap().FillAll(0xFFFFFFFF);
    TBitmapLayer* low = LayerAt(image, 1, 1, 4, 3);
    low->Bitmap().Resize(3, 2);
    low->Bitmap().FillAll(0xFF0000FF);
    TBitmapLayer* high = LayerAt(image, 2, 0, 4, 2);
    high->Bitmap().Resize(2, 2);
    high->Bitmap().FillAll(0x80FF0000);
    high->Bitmap().SetDrawMode(dmBlend);
    TBitmapLayer* hidden = LayerAt(image, 0, 0, 6, 4);
    hidden->Bitmap().Resize(6, 4);
    hidden->Bitmap().FillAll(0xFF00FF00);
    hidden->Visible = false;
    LayerAt(image, 0, 0, 6, 4);  // empty bitmap: draws nothing

    TBitmap32 buffer;
    buffer.Resize(6, 4);
    buffer.FillAll(0x12345678);
    image.PaintTo(buffer, {0, 0, 3, 4});
    const TColor32 blended = BlendPixel(0x80FF0000, 0xFF0000FF, 255);
    const TColor32 overWhite = BlendPixel(0x80FF0000, 0xFFFFFFFF, 255);
    const TColor32 want[4][6] = {
        {0xFFFFFFFF, 0xFFFFFFFF, overWhite, 0x12345678, 0x12345678, 0x12345678},
        {0xFFFFFFFF, 0xFF0000FF, blended, 0x12345678, 0x12345678, 0x12345678},
        {0xFFFFFFFF, 0xFF0000FF, 0xFF0000FF, 0x12345678, 0x12345678, 0x12345678},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x12345678, 0x12345678, 0x12345678},
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(buffer.Pixel(x, y), want[y][x]) << x << "," << y;

    // Master alpha 0 hides a layer from painting.
    high->Bitmap().SetMasterAlpha(0);
    image.PaintTo(buffer, {0, 0, 6, 4});
    EXPECT_EQ(buffer.Pixel(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(buffer.Pixel(3, 1), 0xFF0000FFu);
}

TEST(LayerPainting, StretchesByNearestPixelAndClipsToTheBuffer)
{
    TImage32 image;
    TBitmapLayer* layer = LayerAt(image, -2, 0, 6, 2);  // 8 x 2 from a 4 x 1 bitmap
    layer->Bitmap().Resize(4, 1);
    for (int x = 0; x < 4; ++x)
        layer->Bitmap().Row(0)[x] = 0xFF000000u + x;
    TBitmap32 buffer;
    buffer.Resize(5, 3);
    image.PaintTo(buffer, {-10, -10, 100, 100});
    const TColor32 want[5] = {0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002, 0xFF000003};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(buffer.Pixel(x, y), want[x]) << x << "," << y;
    EXPECT_EQ(buffer.Pixel(0, 2), 0u);
}

TEST(LayerInvalidation, ChangesOfLayerBitmapsAndLocationsReachTheHost)
{
    TImage32 image;
    std::vector<TRect> areas;
    image.OnInvalidate = [&](const TRect& r) { areas.push_back(r); };
    TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
    layer->SetLocation({10, 20, 88, 45});
    areas.clear();
    layer->Bitmap().SetMasterAlpha(255);  // unchanged
    EXPECT_TRUE(areas.empty());
    layer->Bitmap().SetMasterAlpha(0);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0].Left, 10);
    EXPECT_EQ(areas[0].Bottom, 45);
    image.Bitmap().Resize(5, 5);
    EXPECT_EQ(areas.size(), 2u);
    image.Layers().Free(layer);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[2].Right, 88);
}

TEST(LayerDispatch, PressHoldsTheMouseUntilTheLastButtonIsReleased)
{
    TImage32 image;
    EventLog log;
    TBitmapLayer* below = LayerAt(image, 0, 0, 100, 100);
    TBitmapLayer* button = LayerAt(image, 10, 10, 20, 20);
    log.Watch(below, "below");
    log.Watch(button, "button");
    log.Watch(image, {{below, "below"}, {button, "button"}});

    image.MouseMove(0, 15, 15);
    image.MouseDown(mbLeft, ssLeft, 15, 15);
    image.MouseMove(ssLeft, 50, 50);  // off the button, over the layer below
    image.MouseDown(mbRight, ssLeft | ssRight, 60, 60);
    image.MouseUp(mbLeft, ssRight, 70, 70);  // right still down: still held
    image.MouseMove(ssRight, 200, 200);       // outside every layer
    image.MouseUp(mbRight, 0, 200, 200);
    image.MouseMove(0, 50, 50);
    EXPECT_EQ(log.Take(), (Lines{
        "button move 15,15", "image move button",
        "button down 0 15,15", "image down button",
        "button move 50,50", "image move button",
        "button down 1 60,60", "image down button",
        "button up 0 70,70", "image up button",
        "button move 200,200", "image move button",
        "button up 1 200,200", "image up button",
        "below move 50,50", "image move below",
    }));
    EXPECT_EQ(image.MouseHolder(), nullptr);

    // Nothing under the pointer: only the image hears of it. A release that still counts its
    // own button as held also ends the hold.
    image.MouseDown(mbMiddle, ssMiddle, 500, 5);
    image.MouseDown(mbLeft, ssLeft, 15, 15);
    image.MouseUp(mbLeft, ssLeft, 90, 90);
    EXPECT_EQ(image.MouseHolder(), nullptr);
    EXPECT_EQ(log.Take(), (Lines{"image down none", "button down 0 15,15", "image down button",
                                 "button up 0 90,90", "image up button"}));
}

TEST(LayerDispatch, InvisibleTopLayerTakesTheMouseAndHidesTheOnesBelow)
{
    TImage32 image;
    EventLog log;
    TBitmapLayer* normal = LayerAt(image, 30, 230, 108, 255);
    TBitmapLayer* top = LayerAt(image, 30, 230, 108, 255);
    normal->Bitmap().Resize(78, 25);
    top->Bitmap().Resize(78, 25);
    top->Bitmap().SetDrawMode(dmBlend);
    top->Bitmap().SetMasterAlpha(0);
    log.Watch(normal, "normal");
    log.Watch(top, "top");
    image.MouseDown(mbLeft, ssLeft, 30, 230);
    image.MouseUp(mbLeft, 0, 107, 254);
    EXPECT_EQ(log.Take(), (Lines{"top down 0 30,230", "top up 0 107,254"}));
    // A layer that takes no mouse events is passed over.
    top->MouseEvents = false;
    image.MouseDown(mbLeft, ssLeft, 31, 231);
    image.MouseUp(mbLeft, 0, 108, 255);
    EXPECT_EQ(log.Take(), (Lines{"normal down 0 31,231", "normal up 0 108,255"}));
}

TEST(LayerDispatch, HandlersMayFreeTheirOwnAndEveryOtherLayer)
{
    TImage32 image;
    EventLog log;
    TBitmapLayer* other = LayerAt(image, 0, 0, 100, 100);
    TBitmapLayer* button = LayerAt(image, 10, 10, 20, 20);
    log.Watch(image, {{other, "other"}, {button, "button"}});
    button->OnMouseDown = [&](TBitmapLayer*, TMouseButton, TShiftState, int, int) {};
    // A page change from the release: every layer freed, from the top, then the sender used.
    button->OnMouseUp = [&, tag = std::string("still here")](TBitmapLayer* sender, TMouseButton, TShiftState, int, int) {
        TLayerCollection& layers = image.Layers();
        for (int i = layers.Count() - 1; i >= 0; --i)
            layers.Free(layers.Item(i));
        EXPECT_EQ(layers.Count(), 0);
        sender->Bitmap().SetMasterAlpha(0);
        log.lines.push_back(tag);
        TBitmapLayer* fresh = LayerAt(image, 10, 10, 20, 20);  // the next page's button
        log.Watch(fresh, "fresh");
    };
    image.MouseDown(mbLeft, ssLeft, 15, 15);
    image.MouseUp(mbLeft, 0, 15, 15);
    EXPECT_EQ(image.MouseHolder(), nullptr);
    ASSERT_EQ(image.Layers().Count(), 1);
    image.MouseDown(mbLeft, ssLeft, 15, 15);
    EXPECT_EQ(log.Take(), (Lines{"image down button", "still here", "image up none",
                                 "fresh down 0 15,15", "image down ?"}));
}

TEST(LayerDispatch, FreeingFromTheImageHandlerOrDeletingDirectlyIsSafe)
{
    TImage32 image;
    TBitmapLayer* button = LayerAt(image, 0, 0, 10, 10);
    bool layerSeen = false;
    image.OnMouseDown = [&](TImage32* sender, TMouseButton, TShiftState, int, int, TBitmapLayer* l) {
        layerSeen = l == button;
        sender->Layers().Free(l);
    };
    image.MouseDown(mbLeft, ssLeft, 5, 5);
    EXPECT_TRUE(layerSeen);
    EXPECT_EQ(image.Layers().Count(), 0);
    EXPECT_EQ(image.MouseHolder(), nullptr);

    // Deleted outright inside its own handler: the image passes null on.
    TBitmapLayer* doomed = LayerAt(image, 0, 0, 10, 10);
    doomed->OnMouseMove = [](TBitmapLayer* sender, TShiftState, int, int) { delete sender; };
    TBitmapLayer* seen = doomed;
    image.OnMouseMove = [&](TImage32*, TShiftState, int, int, TBitmapLayer* l) { seen = l; };
    image.MouseMove(0, 5, 5);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(image.Layers().Count(), 0);

    // A handler that raises still leaves the dispatch able to free layers at once afterwards.
    TBitmapLayer* raiser = LayerAt(image, 0, 0, 10, 10);
    raiser->OnMouseDown = [&](TBitmapLayer* sender, TMouseButton, TShiftState, int, int) {
        image.Layers().Free(sender);
        throw Exception("boom");
    };
    EXPECT_THROW(image.MouseDown(mbLeft, ssLeft, 5, 5), Exception);
    EXPECT_EQ(image.MouseHolder(), nullptr);
    TBitmapLayer* last = LayerAt(image, 0, 0, 10, 10);
    image.Layers().Free(last);
    EXPECT_EQ(image.Layers().Count(), 0);
}
