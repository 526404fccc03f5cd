// Date: a time in milliseconds since 1970 UTC (NaN for an invalid date), with the calendar
// arithmetic of ECMA-262 (proleptic Gregorian, no leap seconds). Local time is UTC shifted by
// the offset the host reports for that instant.
#include <array>
#include <cmath>
#include <cstdio>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr double kMsPerDay = 86'400'000;

double Day(double t) {
    return std::floor(t / kMsPerDay);
}

double Mod(double a, double b) {
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

// Days from 1970-01-01 to year y, month m (0-11), day 1 (y and m already whole numbers).
double DaysFromCivil(double y, double m) {
    y += std::floor(m / 12);
    m = Mod(m, 12);
    if (m < 2) y -= 1;
    const double era = std::floor(y / 400);
    const double yoe = y - era * 400;
    const double mp = m < 2 ? m + 10 : m - 2;
    const double doy = std::floor((153 * mp + 2) / 5);
    const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    double year, month, date, weekday, hours, minutes, seconds, ms;
};

Civil Split(double t) {
    const double days = Day(t);
    const double z = days + 719468;
    const double era = std::floor(z / 146097);
    const double doe = z - era * 146097;
    const double yoe = std::floor(
        (doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
    const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
    const double mp = std::floor((5 * doy + 2) / 153);
    Civil c{};
    c.date = doy - std::floor((153 * mp + 2) / 5) + 1;
    c.month = mp < 10 ? mp + 2 : mp - 10;
    c.year = yoe + era * 400 + (c.month < 2 ? 1 : 0);
    c.weekday = Mod(days + 4, 7);
    const double inDay = Mod(t, kMsPerDay);
    c.hours = std::floor(inDay / 3'600'000);
    c.minutes = Mod(std::floor(inDay / 60'000), 60);
    c.seconds = Mod(std::floor(inDay / 1000), 60);
    c.ms = Mod(inDay, 1000);
    return c;
}

double Integer(double v) {
    return std::isfinite(v) ? std::trunc(v) : v;
}

double MakeTime(const Civil& c) {
    for (double v : {c.year, c.month, c.date, c.hours, c.minutes, c.seconds, c.ms})
        if (!std::isfinite(v)) return std::nan("");
    const double day = DaysFromCivil(Integer(c.year), Integer(c.month)) + Integer(c.date) - 1;
    const double time = Integer(c.hours) * 3'600'000 + Integer(c.minutes) * 60'000 +
                        Integer(c.seconds) * 1000 + Integer(c.ms);
    return day * kMsPerDay + time;
}

double TimeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > 8.64e15) return std::nan("");
    return std::trunc(t) + 0.0;
}

double Offset(Interpreter& vm, double utc) {
    return std::isfinite(utc) ? vm.host().localTimeOffsetMs(utc) : 0;
}

Object* DateOf(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->kind() == Object::Kind::Date ? o : nullptr;
}

double Now(Interpreter& vm) {
    return vm.host().dateNowMs();
}

// Local fields from arguments: year, month[, date, hours, minutes, seconds, ms].
double FromFields(CallInfo& c, std::size_t first) {
    Civil f{0, 0, 1, 0, 0, 0, 0, 0};
    double* slots[] = {&f.year, &f.month, &f.date, &f.hours, &f.minutes, &f.seconds, &f.ms};
    for (std::size_t i = 0; i < 7 && first + i < c.args.size(); ++i)
        *slots[i] = c.vm.toNumber(c.args[first + i]);
    if (std::isfinite(f.year) && Integer(f.year) >= 0 && Integer(f.year) <= 99) f.year += 1900;
    return MakeTime(f);
}

Value DateCtor(CallInfo& c) {
    if (!c.construct) {
        Object* d = c.vm.newObject(c.vm.protos.date);
        d->setKind(Object::Kind::Date);
        d->primitive = Now(c.vm);
        return c.vm.toString(d);
    }
    Object* o = c.thisValue.asObject();
    if (!o) return Value{};
    o->setKind(Object::Kind::Date);
    double t;
    if (c.args.empty() || c.args[0].isUndefined()) {
        t = Now(c.vm);
    } else if (c.args.size() == 1) {
        // A time given whole keeps its fraction of a millisecond.
        t = c.vm.toNumber(c.args[0]);
        if (std::isnan(TimeClip(t))) t = std::nan("");
    } else {
        const double local = FromFields(c, 0);
        t = TimeClip(local - Offset(c.vm, local));
    }
    o->primitive = t;
    return Value{};
}

Value DateUtc(CallInfo& c) {
    if (c.args.size() < 2) return std::nan("");
    return TimeClip(FromFields(c, 0));
}

Value GetTime(CallInfo& c) {
    Object* o = DateOf(c);
    return o ? o->primitive : Value{};
}

Value SetTime(CallInfo& c) {
    Object* o = DateOf(c);
    if (!o) return Value{};
    o->primitive = c.arg(0).isUndefined() ? std::nan("") : TimeClip(c.vm.toNumber(c.arg(0)));
    return o->primitive;
}

// Field getters: which field, local or UTC.
enum Field { kYear, kMonth, kDate, kWeekday, kHours, kMinutes, kSeconds, kMs, kShortYear };

template <Field F, bool Utc>
Value GetField(CallInfo& c) {
    Object* o = DateOf(c);
    if (!o) return Value{};
    double t = o->primitive.isNumber() ? o->primitive.asNumber() : std::nan("");
    if (std::isnan(t)) return t;
    if (!Utc) t += Offset(c.vm, t);
    const Civil v = Split(t);
    switch (F) {
        case kYear:
            return v.year;
        case kShortYear:
            return v.year - 1900;
        case kMonth:
            return v.month;
        case kDate:
            return v.date;
        case kWeekday:
            return v.weekday;
        case kHours:
            return v.hours;
        case kMinutes:
            return v.minutes;
        case kSeconds:
            return v.seconds;
        case kMs:
            return v.ms;
    }
    return Value{};
}

// Setters: the arguments replace fields from `F` on (as many as given, up to `count`).
template <Field F, int Count, bool Utc>
Value SetField(CallInfo& c) {
    Object* o = DateOf(c);
    if (!o) return Value{};
    double t = o->primitive.isNumber() ? o->primitive.asNumber() : std::nan("");
    if (std::isnan(t) && F == kYear) t = 0;  // setFullYear revives an invalid date
    const double offset = Utc ? 0 : Offset(c.vm, t);
    Civil v = Split(t + offset);
    if (std::isnan(t)) v = Civil{std::nan(""), 0, 1, 0, 0, 0, 0, 0};
    double* slots[] = {&v.year,  &v.month,   &v.date,    nullptr,
                       &v.hours, &v.minutes, &v.seconds, &v.ms};
    const int first = F == kShortYear ? 0 : static_cast<int>(F);
    int given = 0;
    for (int i = first; given < Count && given < static_cast<int>(c.args.size()); ++i) {
        if (!slots[i]) continue;
        *slots[i] = c.vm.toNumber(c.args[static_cast<std::size_t>(given++)]);
    }
    if (given == 0) *slots[first] = std::nan("");
    if (F == kShortYear && std::isfinite(v.year) && Integer(v.year) >= 0 && Integer(v.year) <= 99)
        v.year += 1900;
    const double local = MakeTime(v);
    o->primitive = TimeClip(Utc ? local : local - Offset(c.vm, local));
    return o->primitive;
}

Value GetTimezoneOffset(CallInfo& c) {
    Object* o = DateOf(c);
    if (!o) return Value{};
    const double t = o->primitive.isNumber() ? o->primitive.asNumber() : std::nan("");
    return -Offset(c.vm, std::isnan(t) ? Now(c.vm) : t) / 60'000;
}

Value DateToString(CallInfo& c) {
    Object* o = DateOf(c);
    if (!o) return Value{};
    const double utc = o->primitive.isNumber() ? o->primitive.asNumber() : std::nan("");
    if (std::isnan(utc)) return "Invalid Date";
    const double offset = Offset(c.vm, utc);
    const Civil v = Split(utc + offset);
    static const std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long zone = std::lround(std::fabs(offset) / 60'000);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %s %.0f %02.0f:%02.0f:%02.0f GMT%c%02ld%02ld %.0f",
                  kDays[static_cast<std::size_t>(v.weekday)],
                  kMonths[static_cast<std::size_t>(v.month)], v.date, v.hours, v.minutes, v.seconds,
                  offset < 0 ? '-' : '+', zone / 60, zone % 60, v.year);
    return std::string(buf);
}

struct Entry {
    const char* name;
    NativeFn fn;
};

}  // namespace

void InstallDateBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    vm.protos.date = proto;
    Object* date = MakeClass(vm, "Date", DateCtor, proto);
    vm.method(date, "UTC", DateUtc);
    for (const Entry& e :
         std::initializer_list<Entry>{{"getTime", GetTime},
                                      {"setTime", SetTime},
                                      {"toString", DateToString},
                                      {"getTimezoneOffset", GetTimezoneOffset},
                                      {"getFullYear", GetField<kYear, false>},
                                      {"getYear", GetField<kShortYear, false>},
                                      {"getMonth", GetField<kMonth, false>},
                                      {"getDate", GetField<kDate, false>},
                                      {"getDay", GetField<kWeekday, false>},
                                      {"getHours", GetField<kHours, false>},
                                      {"getMinutes", GetField<kMinutes, false>},
                                      {"getSeconds", GetField<kSeconds, false>},
                                      {"getMilliseconds", GetField<kMs, false>},
                                      {"getUTCFullYear", GetField<kYear, true>},
                                      {"getUTCYear", GetField<kShortYear, true>},
                                      {"getUTCMonth", GetField<kMonth, true>},
                                      {"getUTCDate", GetField<kDate, true>},
                                      {"getUTCDay", GetField<kWeekday, true>},
                                      {"getUTCHours", GetField<kHours, true>},
                                      {"getUTCMinutes", GetField<kMinutes, true>},
                                      {"getUTCSeconds", GetField<kSeconds, true>},
                                      {"getUTCMilliseconds", GetField<kMs, true>},
                                      {"setFullYear", SetField<kYear, 3, false>},
                                      {"setYear", SetField<kShortYear, 3, false>},
                                      {"setMonth", SetField<kMonth, 2, false>},
                                      {"setDate", SetField<kDate, 1, false>},
                                      {"setHours", SetField<kHours, 4, false>},
                                      {"setMinutes", SetField<kMinutes, 3, false>},
                                      {"setSeconds", SetField<kSeconds, 2, false>},
                                      {"setMilliseconds", SetField<kMs, 1, false>},
                                      {"setUTCFullYear", SetField<kYear, 3, true>},
                                      {"setUTCMonth", SetField<kMonth, 2, true>},
                                      {"setUTCDate", SetField<kDate, 1, true>},
                                      {"setUTCHours", SetField<kHours, 4, true>},
                                      {"setUTCMinutes", SetField<kMinutes, 3, true>},
                                      {"setUTCSeconds", SetField<kSeconds, 2, true>},
                                      {"setUTCMilliseconds", SetField<kMs, 1, true>}}) {
        vm.method(proto, e.name, e.fn);
    }
    // valueOf is the very function getTime is.
    proto->put("valueOf", proto->findOwn("getTime")->value, kDontEnum | kDontDelete);
    // The player locks all of Date's own members.
    SetPropFlags(date, "", kDontEnum | kDontDelete | kReadOnly, 0);
}

}  // namespace saver::swf::avm1
