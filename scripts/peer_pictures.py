"""The window of the example's result for docs/peers.md, and ezdxf's picture of it.

  peer_pictures.py window IN.dxf OUT.dxf X1,Y1,X2,Y2
      keeps what lies in the window: LINEs are cut at its edges, other entities (dimensions
      by their definition points) are kept when their bounding box lies inside it
  peer_pictures.py ezdxf IN.dxf OUT.png X1,Y1,X2,Y2
      draws model space with ezdxf's drawing add-on (matplotlib), showing that window
  peer_pictures.py librecad IN.dxf OUT.dxf X1,Y1,X2,Y2
      the drawing as LibreCAD's dxf2pdf can print it: model space, its blocks, layers and
      styles, the dimension styles' values too, copied into a new drawing without units
      (dxf2pdf prints the plan's own file as a dot, and a drawing in metres a thousand times
      too large for its page)
"""
import sys

import ezdxf
from ezdxf import bbox
from ezdxf.math import Vec2


def clip(a, b, lo, hi):
    """The part of segment a-b inside the box lo-hi (Liang-Barsky), or None."""
    t0, t1 = 0.0, 1.0
    d = b - a
    for p, q in ((-d.x, a.x - lo.x), (d.x, hi.x - a.x), (-d.y, a.y - lo.y), (d.y, hi.y - a.y)):
        if p == 0:
            if q < 0:
                return None
            continue
        t = q / p
        if p < 0:
            t0 = max(t0, t)
        else:
            t1 = min(t1, t)
    if t0 > t1:
        return None
    return a + d * t0, a + d * t1


def window(source, target, lo, hi):
    doc = ezdxf.readfile(source)
    msp = doc.modelspace()
    for e in list(msp):
        if e.dxftype() == "LINE":
            part = clip(Vec2(e.dxf.start), Vec2(e.dxf.end), lo, hi)
            if part is None:
                msp.delete_entity(e)
            else:
                e.dxf.start, e.dxf.end = part[0], part[1]
            continue
        if e.dxftype() == "DIMENSION":
            points = [Vec2(e.dxf.get(p)) for p in ("defpoint", "defpoint2", "defpoint3")]
        else:
            box = bbox.extents([e], fast=True)
            points = [Vec2(box.extmin), Vec2(box.extmax)] if box.has_data else []
        if not points or not all(lo.x <= p.x <= hi.x and lo.y <= p.y <= hi.y for p in points):
            msp.delete_entity(e)
    # The plan's header gives extents of its own, which LibreCAD fits to; ezdxf writes them from
    # the layout's.
    msp.dxf.extmin = (lo.x, lo.y, 0)
    msp.dxf.extmax = (hi.x, hi.y, 0)
    doc.saveas(target)


def draw(source, target, lo, hi):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    from ezdxf.addons.drawing.properties import LayoutProperties

    doc = ezdxf.readfile(source)
    size = hi - lo
    fig = plt.figure(figsize=(6, 6 * size.y / size.x))
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    # On white, as the other two pictures.
    paper = LayoutProperties.from_layout(doc.modelspace())
    paper.set_colors(bg="#FFFFFF")
    Frontend(ctx, MatplotlibBackend(ax)).draw_layout(
        doc.modelspace(), finalize=True, layout_properties=paper
    )
    ax.set_xlim(lo.x, hi.x)
    ax.set_ylim(lo.y, hi.y)
    fig.savefig(target, dpi=160, facecolor="white")


def for_librecad(source, target, lo, hi):
    from ezdxf.addons import Importer

    src = ezdxf.readfile(source)
    doc = ezdxf.new(src.dxfversion, units=0)
    importer = Importer(src, doc)
    importer.import_modelspace()
    importer.import_tables("*")
    importer.finalize()
    # The new drawing has a STANDARD of its own, which the importer keeps, and dimension
    # variables of its own in the header.
    for name in src.header.varnames():
        if name.startswith("$DIM"):
            doc.header[name] = src.header[name]
    for style in src.dimstyles:
        if style.dxf.name in doc.dimstyles:
            mine = doc.dimstyles.get(style.dxf.name)
            for key, value in style.dxfattribs(drop={"handle", "owner", "name"}).items():
                mine.dxf.set(key, value)
    msp = doc.modelspace()
    msp.dxf.extmin = (lo.x, lo.y, 0)
    msp.dxf.extmax = (hi.x, hi.y, 0)
    doc.saveas(target)


def main():
    mode, source, target, corners = sys.argv[1:5]
    x1, y1, x2, y2 = (float(v) for v in corners.split(","))
    lo, hi = Vec2(min(x1, x2), min(y1, y2)), Vec2(max(x1, x2), max(y1, y2))
    {"window": window, "ezdxf": draw, "librecad": for_librecad}[mode](source, target, lo, hi)


if __name__ == "__main__":
    main()
