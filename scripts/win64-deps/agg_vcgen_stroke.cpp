// Stroke generator for AGG's conv_stroke, compiled into the win64 libagg.a by
// scripts/build-win64-deps.sh when the mirror serves no AGG source package. It implements the
// class declared in <agg_vcgen_stroke.h> on top of the header-only math_stroke, so the host
// (Debian's libagg) and win64 builds outline the same way.
//
// Output of one open polyline: the start cap, the joins along the left side, the end cap and
// the joins back along the right side, as one closed polygon. A closed polyline gives two
// polygons, the outer and the inner contour, with opposite orientations so that non-zero
// filling leaves the inside empty.
#include <agg_shorten_path.h>
#include <agg_vcgen_stroke.h>

namespace agg {

vcgen_stroke::vcgen_stroke()
    : m_stroker(),
      m_src_vertices(),
      m_out_vertices(),
      m_shorten(0.0),
      m_closed(0),
      m_status(initial),
      m_prev_status(initial),
      m_src_vertex(0),
      m_out_vertex(0) {}

void vcgen_stroke::remove_all() {
    m_src_vertices.remove_all();
    m_closed = 0;
    m_status = initial;
}

void vcgen_stroke::add_vertex(double x, double y, unsigned cmd) {
    m_status = initial;
    if (is_move_to(cmd)) {
        // A second move_to before any line_to restarts the polyline at the new point.
        m_src_vertices.modify_last(vertex_dist(x, y));
    } else if (is_vertex(cmd)) {
        m_src_vertices.add(vertex_dist(x, y));
    } else {
        m_closed = get_close_flag(cmd);
    }
}

void vcgen_stroke::rewind(unsigned) {
    if (m_status == initial) {
        // close() drops coincident points and fills in each vertex's distance to the next.
        m_src_vertices.close(m_closed != 0);
        shorten_path(m_src_vertices, m_shorten, m_closed);
        if (m_src_vertices.size() < 3) {
            m_closed = 0;
        }
    }
    m_status = ready;
    m_src_vertex = 0;
    m_out_vertex = 0;
}

unsigned vcgen_stroke::vertex(double* x, double* y) {
    unsigned cmd = path_cmd_line_to;
    while (!is_stop(cmd)) {
        switch (m_status) {
            case initial:
                rewind(0);
                [[fallthrough]];
            case ready:
                if (m_src_vertices.size() < 2 + unsigned(m_closed != 0)) {
                    cmd = path_cmd_stop;
                    break;
                }
                m_status = m_closed ? outline1 : cap1;
                cmd = path_cmd_move_to;
                m_src_vertex = 0;
                m_out_vertex = 0;
                break;
            case cap1:
                m_stroker.calc_cap(m_out_vertices, m_src_vertices[0], m_src_vertices[1],
                                   m_src_vertices[0].dist);
                m_src_vertex = 1;
                m_prev_status = outline1;
                m_status = out_vertices;
                m_out_vertex = 0;
                break;
            case cap2: {
                const unsigned count = m_src_vertices.size();
                m_stroker.calc_cap(m_out_vertices, m_src_vertices[count - 1],
                                   m_src_vertices[count - 2], m_src_vertices[count - 2].dist);
                m_prev_status = outline2;
                m_status = out_vertices;
                m_out_vertex = 0;
                break;
            }
            case outline1:
                // Forward along the polyline: the joins of the left side.
                if (m_src_vertex + unsigned(m_closed == 0) >= m_src_vertices.size()) {
                    if (m_closed) {
                        m_prev_status = close_first;
                        m_status = end_poly1;
                    } else {
                        m_status = cap2;
                    }
                    break;
                }
                m_stroker.calc_join(
                    m_out_vertices, m_src_vertices.prev(m_src_vertex),
                    m_src_vertices.curr(m_src_vertex), m_src_vertices.next(m_src_vertex),
                    m_src_vertices.prev(m_src_vertex).dist, m_src_vertices.curr(m_src_vertex).dist);
                ++m_src_vertex;
                m_prev_status = m_status;
                m_status = out_vertices;
                m_out_vertex = 0;
                break;
            case close_first:
                // The inner contour of a closed polyline starts a new polygon.
                m_status = outline2;
                cmd = path_cmd_move_to;
                [[fallthrough]];
            case outline2:
                // Backward along the polyline: the joins of the right side.
                if (m_src_vertex <= unsigned(m_closed == 0)) {
                    m_status = end_poly2;
                    m_prev_status = stop;
                    break;
                }
                --m_src_vertex;
                m_stroker.calc_join(
                    m_out_vertices, m_src_vertices.next(m_src_vertex),
                    m_src_vertices.curr(m_src_vertex), m_src_vertices.prev(m_src_vertex),
                    m_src_vertices.curr(m_src_vertex).dist, m_src_vertices.prev(m_src_vertex).dist);
                m_prev_status = m_status;
                m_status = out_vertices;
                m_out_vertex = 0;
                break;
            case out_vertices:
                if (m_out_vertex >= m_out_vertices.size()) {
                    m_status = m_prev_status;
                    break;
                }
                *x = m_out_vertices[m_out_vertex].x;
                *y = m_out_vertices[m_out_vertex].y;
                ++m_out_vertex;
                return cmd;
            case end_poly1:
                m_status = m_prev_status;
                return path_cmd_end_poly | path_flags_close | path_flags_ccw;
            case end_poly2:
                m_status = m_prev_status;
                return path_cmd_end_poly | path_flags_close | path_flags_cw;
            case stop:
                cmd = path_cmd_stop;
                break;
        }
    }
    return cmd;
}

}  // namespace agg
