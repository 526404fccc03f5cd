// The out-of-line members of AGG's trans_affine (declared in <agg_trans_affine.h>), compiled
// into the win64 libagg.a by scripts/build-win64-deps.sh when the mirror serves no AGG source
// package. A point maps as x' = sx*x + shx*y + tx, y' = shy*x + sy*y + ty; "multiply(m)" applies
// m after this transform.
#include <agg_trans_affine.h>

#include <cmath>

namespace agg {

const trans_affine& trans_affine::parl_to_parl(const double* src, const double* dst) {
    // The map from the unit square's corners to src, inverted, then the map to dst.
    sx = src[2] - src[0];
    shy = src[3] - src[1];
    shx = src[4] - src[0];
    sy = src[5] - src[1];
    tx = src[0];
    ty = src[1];
    invert();
    multiply(trans_affine(dst[2] - dst[0], dst[3] - dst[1], dst[4] - dst[0], dst[5] - dst[1],
                          dst[0], dst[1]));
    return *this;
}

const trans_affine& trans_affine::rect_to_parl(double x1, double y1, double x2, double y2,
                                               const double* parl) {
    const double src[6] = {x1, y1, x2, y1, x2, y2};
    return parl_to_parl(src, parl);
}

const trans_affine& trans_affine::parl_to_rect(const double* parl, double x1, double y1, double x2,
                                               double y2) {
    const double dst[6] = {x1, y1, x2, y1, x2, y2};
    return parl_to_parl(parl, dst);
}

const trans_affine& trans_affine::multiply(const trans_affine& m) {
    const double nsx = sx * m.sx + shy * m.shx;
    const double nshx = shx * m.sx + sy * m.shx;
    const double ntx = tx * m.sx + ty * m.shx + m.tx;
    const double nshy = sx * m.shy + shy * m.sy;
    const double nsy = shx * m.shy + sy * m.sy;
    const double nty = tx * m.shy + ty * m.sy + m.ty;
    sx = nsx;
    shx = nshx;
    tx = ntx;
    shy = nshy;
    sy = nsy;
    ty = nty;
    return *this;
}

const trans_affine& trans_affine::invert() {
    const double d = 1.0 / (sx * sy - shy * shx);
    const double nsx = sy * d;
    const double nsy = sx * d;
    const double nshy = -shy * d;
    const double nshx = -shx * d;
    const double ntx = -tx * nsx - ty * nshx;
    const double nty = -tx * nshy - ty * nsy;
    sx = nsx;
    sy = nsy;
    shy = nshy;
    shx = nshx;
    tx = ntx;
    ty = nty;
    return *this;
}

const trans_affine& trans_affine::flip_x() {
    sx = -sx;
    shy = -shy;
    tx = -tx;
    return *this;
}

const trans_affine& trans_affine::flip_y() {
    shx = -shx;
    sy = -sy;
    ty = -ty;
    return *this;
}

const trans_affine& trans_affine::reset() {
    sx = sy = 1.0;
    shy = shx = tx = ty = 0.0;
    return *this;
}

namespace {
bool near(double a, double b, double epsilon) {
    return std::fabs(a - b) <= epsilon;
}
}  // namespace

bool trans_affine::is_identity(double epsilon) const {
    return near(sx, 1.0, epsilon) && near(shy, 0.0, epsilon) && near(shx, 0.0, epsilon) &&
           near(sy, 1.0, epsilon) && near(tx, 0.0, epsilon) && near(ty, 0.0, epsilon);
}

bool trans_affine::is_valid(double epsilon) const {
    return std::fabs(sx) > epsilon && std::fabs(sy) > epsilon;
}

bool trans_affine::is_equal(const trans_affine& m, double epsilon) const {
    return near(sx, m.sx, epsilon) && near(shy, m.shy, epsilon) && near(shx, m.shx, epsilon) &&
           near(sy, m.sy, epsilon) && near(tx, m.tx, epsilon) && near(ty, m.ty, epsilon);
}

double trans_affine::rotation() const {
    // The direction the x axis takes.
    double x1 = 0.0, y1 = 0.0, x2 = 1.0, y2 = 0.0;
    transform(&x1, &y1);
    transform(&x2, &y2);
    return std::atan2(y2 - y1, x2 - x1);
}

void trans_affine::translation(double* dx, double* dy) const {
    *dx = tx;
    *dy = ty;
}

void trans_affine::scaling(double* x, double* y) const {
    // Undo the rotation, then measure how the unit diagonal stretches.
    double x1 = 0.0, y1 = 0.0, x2 = 1.0, y2 = 1.0;
    trans_affine t(*this);
    t *= trans_affine_rotation(-rotation());
    t.transform(&x1, &y1);
    t.transform(&x2, &y2);
    *x = x2 - x1;
    *y = y2 - y1;
}

}  // namespace agg
