// The script is written as expressions (small functions that push their value) so the action
// list reads like the ActionScript it stands for; every call leaves exactly one value.
#include "ScriptClockMovie.h"

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "DigitFont.h"
#include "SwfRecords.h"
#include "SwfWriter.h"

namespace saver::swfwriter {
namespace {

constexpr std::int32_t kPx = kTwipsPerPixel;
constexpr std::int32_t kCentre = 160;  // the dial's centre, x and y, pixels
constexpr int kSparks = 40;
constexpr int kSparkFrames = 18;

using Expr = std::function<void(ActionList&)>;

Expr Num(double n) {
    return [n](ActionList& a) {
        if (n == static_cast<std::int32_t>(n))
            a.Push(static_cast<std::int32_t>(n));
        else
            a.PushDouble(n);
    };
}
Expr Str(std::string s) {
    return [s](ActionList& a) { a.Push(s); };
}
Expr Var(std::string name) {
    return [name](ActionList& a) { a.Push(name).GetVariable(); };
}
Expr Op(Expr l, Expr r, ActionList& (ActionList::*op)()) {
    return [=](ActionList& a) {
        l(a);
        r(a);
        (a.*op)();
    };
}
Expr Add(Expr l, Expr r) {
    return Op(l, r, &ActionList::Add2);
}
Expr Sub(Expr l, Expr r) {
    return Op(l, r, &ActionList::Subtract);
}
Expr Mul(Expr l, Expr r) {
    return Op(l, r, &ActionList::Multiply);
}
Expr Div(Expr l, Expr r) {
    return Op(l, r, &ActionList::Divide);
}
Expr Mod(Expr l, Expr r) {
    return Op(l, r, &ActionList::Modulo);
}

// object.method(args...)
Expr Call(Expr object, std::string method, std::vector<Expr> args = {}) {
    return [=](ActionList& a) {
        for (auto it = args.rbegin(); it != args.rend(); ++it) (*it)(a);
        a.Push(static_cast<std::int32_t>(args.size()));
        object(a);
        a.Push(method).CallMethod();
    };
}
Expr Random(std::int32_t below) {
    return [below](ActionList& a) { a.Push(below).RandomNumber(); };
}
void Set(ActionList& a, const std::string& name, const Expr& value) {
    a.Push(name);
    value(a);
    a.SetVariable();
}
void Run(ActionList& a, const Expr& e) {
    e(a);
    a.Pop();
}
// "0" in front of a number below 10: ("" + (100 + n)).substr(1)
Expr TwoDigits(Expr n) {
    return Call(Add(Str(""), Add(Num(100), n)), "substr", {Num(1)});
}

// One hand from the centre to `length` px at `degrees` clockwise from twelve o'clock.
void Hand(ActionList& a, Expr degrees, double length, int width, std::int32_t rgb) {
    const Expr hands = Var("hands");
    Set(a, "a", Mul(degrees, Num(std::numbers::pi / 180)));
    Run(a, Call(hands, "lineStyle", {Num(width), Num(rgb), Num(100)}));
    Run(a, Call(hands, "moveTo", {Num(0), Num(0)}));
    Run(a, Call(hands, "lineTo",
                {Mul(Num(length), Call(Var("Math"), "sin", {Var("a")})),
                 Sub(Num(0), Mul(Num(length), Call(Var("Math"), "cos", {Var("a")})))}));
}

// A new spark at a random one of the copies' depths, at the second hand's tip.
void Spark(ActionList& a) {
    Set(a, "k", Random(kSparks));
    Set(a, "n", Add(Str("s"), Var("k")));
    a.Push("spark");
    Var("n")(a);
    Add(Num(16384 + 100), Var("k"))(a);  // the action takes the depth 16384 up
    a.DuplicateMovieClip();
    const Expr tipX = Add(Num(kCentre), Mul(Num(100), Call(Var("Math"), "sin", {Var("a")})));
    const Expr tipY = Sub(Num(kCentre), Mul(Num(100), Call(Var("Math"), "cos", {Var("a")})));
    const std::pair<int, Expr> props[] = {{0, tipX}, {1, tipY}, {10, Random(360)}};
    for (const auto& [index, value] : props) {
        Var("n")(a);
        a.Push(index);
        value(a);
        a.SetProperty();
    }
}

ActionList FrameScript() {
    ActionList a;
    const Expr d = Var("d");
    a.Push("d").Push(0).Push("Date").NewObject().SetVariable();
    Set(a, "s", Add(Call(d, "getSeconds"), Div(Call(d, "getMilliseconds"), Num(1000))));
    Set(a, "m", Add(Call(d, "getMinutes"), Div(Var("s"), Num(60))));
    Set(a, "h", Add(Mod(Call(d, "getHours"), Num(12)), Div(Var("m"), Num(60))));
    Set(a, "time",
        Add(Add(Add(Add(Call(d, "getHours"), Str(":")), TwoDigits(Call(d, "getMinutes"))),
                Str(":")),
            TwoDigits(Call(d, "getSeconds"))));
    Set(a, "date",
        Add(Add(Add(Add(Call(d, "getDate"), Str(".")), Add(Call(d, "getMonth"), Num(1))), Str(".")),
            Call(d, "getFullYear")));
    Run(a, Call(Var("hands"), "clear"));
    Hand(a, Mul(Var("h"), Num(30)), 62, 8, 0x1E2440);
    Hand(a, Mul(Var("m"), Num(6)), 92, 5, 0x1E2440);
    Hand(a, Mul(Var("s"), Num(6)), 104, 2, 0xD21E1E);
    Spark(a);  // `a` still holds the second hand's angle
    return a;
}

std::uint16_t Dial(SwfWriter& movie) {
    ShapeBuilder s;
    const Gradient light{{{0, {250, 250, 252}}, {200, {226, 230, 240}}, {255, {196, 202, 220}}}};
    const std::int32_t r = 120 * kPx;
    s.SetFill1(s.AddFill(FillStyle::Radial(Matrix::GradientBox(-r, -r, 2 * r, 2 * r), light)));
    s.SetLine(s.AddLine({6 * kPx, {90, 100, 150}}));
    s.Circle(0, 0, r);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

std::uint16_t HourMarks(SwfWriter& movie) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({40, 48, 80})));
    for (int i = 0; i < 12; ++i) {
        const double angle = i * std::numbers::pi / 6;
        s.Circle(static_cast<std::int32_t>(104 * kPx * std::sin(angle)),
                 static_cast<std::int32_t>(-104 * kPx * std::cos(angle)), (i % 3 ? 4 : 7) * kPx);
    }
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

std::uint16_t SparkClip(SwfWriter& movie) {
    ShapeBuilder dot;
    const Gradient glow{
        {{0, {255, 255, 255, 255}}, {110, {140, 230, 255, 230}}, {255, {60, 120, 255, 0}}}};
    const std::int32_t r = 8 * kPx;
    dot.SetFill1(dot.AddFill(FillStyle::Radial(Matrix::GradientBox(-r, -r, 2 * r, 2 * r), glow)));
    dot.Circle(0, 0, r);
    const std::uint16_t dotId = movie.DefineShape(dot, ShapeVersion::Shape3);
    Timeline spark;
    for (int f = 0; f < kSparkFrames; ++f) {
        const double t = static_cast<double>(f) / kSparkFrames;
        PlaceObject p = PlaceObject::New(1, dotId, Matrix::Transform(1 - 0.6 * t, 0, 0, 0));
        p.matrix->translateY = static_cast<std::int32_t>(-70 * kPx * t);  // outwards: up, turned
        p.move = f > 0;
        if (f > 0) p.characterId.reset();
        p.colorTransform = ColorTransform::Alpha(1 - t);
        spark.Place(p);
        spark.ShowFrame();
    }
    spark.Remove(1);
    spark.DoAction(ActionList().Stop());
    spark.ShowFrame();
    return movie.DefineSprite(spark);
}

// DefineEditText: a read-only, unselectable field tied to `variable`.
std::vector<std::uint8_t> Field(std::uint16_t id, Rect box, std::uint16_t font, int heightPx,
                                Rgba color, bool outlines, const std::string& variable) {
    BitWriter w;
    w.WriteU16(id);
    WriteRect(w, box);
    w.WriteU8(0x08 | 0x04 | 0x01);                // ReadOnly, HasTextColor, HasFont
    w.WriteU8(0x20 | 0x10 | (outlines ? 1 : 0));  // HasLayout, NoSelect, UseOutlines
    w.WriteU16(font);
    w.WriteU16(static_cast<std::uint16_t>(heightPx * kPx));
    w.WriteU8(color.r), w.WriteU8(color.g), w.WriteU8(color.b), w.WriteU8(color.a);
    w.WriteU8(0);  // left
    w.WriteU16(0), w.WriteU16(0), w.WriteU16(0), w.WriteU16(0);
    w.WriteString(variable);
    return w.Bytes();
}

std::vector<std::uint8_t> DeviceFont(std::uint16_t id, const std::string& name) {
    BitWriter w;
    w.WriteU16(id);
    w.WriteU8(0x04);  // WideCodes, no glyphs
    w.WriteU8(1);
    w.WriteU8(static_cast<std::uint8_t>(name.size()));
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    w.WriteU16(0);
    return w.Bytes();
}

}  // namespace

std::vector<std::uint8_t> BuildScriptClockMovie(bool compress) {
    SwfWriter movie(
        {.width = 560 * kPx, .height = 320 * kPx, .frameRate = 24, .compress = compress});
    movie.SetBackgroundColor({16, 20, 40});
    const Matrix centre = Matrix::Translate(kCentre * kPx, kCentre * kPx);
    const std::uint16_t dial = Dial(movie), marks = HourMarks(movie);
    const std::uint16_t hands = movie.DefineSprite([] {
        Timeline empty;
        empty.ShowFrame();
        return empty;
    }());
    const std::uint16_t spark = SparkClip(movie);
    Timeline& root = movie.Root();
    const std::uint16_t digits = movie.ReserveId();
    root.AppendTag(TagCode::DefineFont3, DigitFont3(digits, "Digits"));
    const std::uint16_t sans = movie.ReserveId();
    root.AppendTag(TagCode::DefineFont2, DeviceFont(sans, "_sans"));
    const std::uint16_t timeField = movie.ReserveId();
    root.AppendTag(TagCode::DefineEditText,
                   Field(timeField, {310 * kPx, 550 * kPx, 104 * kPx, 160 * kPx}, digits, 44,
                         {255, 196, 60}, true, "time"));
    const std::uint16_t dateField = movie.ReserveId();
    root.AppendTag(TagCode::DefineEditText,
                   Field(dateField, {310 * kPx, 550 * kPx, 186 * kPx, 216 * kPx}, sans, 20,
                         {200, 210, 235}, false, "date"));

    root.Place(PlaceObject::New(1, dial, centre));
    root.Place(PlaceObject::New(2, marks, centre));
    PlaceObject handsAt = PlaceObject::New(10, hands, centre);
    handsAt.name = "hands";
    root.Place(handsAt);
    PlaceObject sparkAt = PlaceObject::New(20, spark, Matrix::Translate(-100 * kPx, -100 * kPx));
    sparkAt.name = "spark";
    root.Place(sparkAt);
    root.Place(PlaceObject::New(40, timeField, {}));
    root.Place(PlaceObject::New(41, dateField, {}));
    const ActionList script = FrameScript();
    root.DoAction(script);
    root.ShowFrame();
    root.DoAction(script);
    root.ShowFrame();
    return movie.Build();
}

}  // namespace saver::swfwriter
