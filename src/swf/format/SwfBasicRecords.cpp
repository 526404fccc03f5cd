#include "swf/format/SwfBasicRecords.h"

namespace saver::swf {

Rgba ReadRgb(SwfBitReader& in) {
    Rgba c;
    c.r = in.u8();
    c.g = in.u8();
    c.b = in.u8();
    return c;
}

Rgba ReadRgba(SwfBitReader& in) {
    Rgba c = ReadRgb(in);
    c.a = in.u8();
    return c;
}

Rect ReadRect(SwfBitReader& in) {
    in.align();
    const unsigned bits = in.ub(5);
    Rect r;
    r.xMin = in.sb(bits);
    r.xMax = in.sb(bits);
    r.yMin = in.sb(bits);
    r.yMax = in.sb(bits);
    return r;
}

Matrix ReadMatrix(SwfBitReader& in) {
    in.align();
    Matrix m;
    if (in.flag()) {
        const unsigned bits = in.ub(5);
        m.a = in.fb(bits);
        m.d = in.fb(bits);
    }
    if (in.flag()) {
        const unsigned bits = in.ub(5);
        m.b = in.fb(bits);
        m.c = in.fb(bits);
    }
    const unsigned bits = in.ub(5);
    m.tx = in.sb(bits);
    m.ty = in.sb(bits);
    return m;
}

ColorTransform ReadColorTransform(SwfBitReader& in, bool withAlpha) {
    in.align();
    const bool hasAdd = in.flag();
    const bool hasMul = in.flag();
    const unsigned bits = in.ub(4);
    ColorTransform t;
    if (hasMul) {
        t.mulR = in.sb(bits) / 256.0;
        t.mulG = in.sb(bits) / 256.0;
        t.mulB = in.sb(bits) / 256.0;
        if (withAlpha) t.mulA = in.sb(bits) / 256.0;
    }
    if (hasAdd) {
        t.addR = in.sb(bits);
        t.addG = in.sb(bits);
        t.addB = in.sb(bits);
        if (withAlpha) t.addA = in.sb(bits);
    }
    return t;
}

}  // namespace saver::swf
