#!/usr/bin/python3
"""Pictures of DXF drawings by an independent reader (ezdxf's drawing add-on
with its Matplotlib back end), and the overlap of two pictures' drawn pixels.

    ezdxf_picture.py render DRAWING.dxf OUT.png [--size N] [--line-types]
    ezdxf_picture.py overlap OURS.png THEIRS.png [--size N] [--reach PIXELS]

overlap prints "ours_in_theirs theirs_in_ours": the share of one picture's
drawn pixels that lie within --reach pixels of a drawn pixel of the other,
after both drawings are framed alike (each cropped to its drawn pixels and
scaled into the middle of the same square, keeping its proportions).
"""
import argparse
import sys

import numpy as np
from PIL import Image


def render(drawing, out, size, line_types=False):
    import ezdxf
    from ezdxf import recover
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.config import Configuration, LinePolicy
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend

    doc, _ = recover.readfile(drawing)
    msp = doc.modelspace()
    fig = plt.figure(figsize=(size / 100, size / 100), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    ctx.set_current_layout(msp)
    config = Configuration.defaults().with_changes(
        line_policy=LinePolicy.ACCURATE if line_types else LinePolicy.SOLID, lineweight_scaling=0.0, min_lineweight=0.72)  # one pixel: Matplotlib takes it in points
    Frontend(ctx, MatplotlibBackend(ax, adjust_figure=False), config=config).draw_layout(msp, finalize=True)
    ax.set_axis_off()
    ax.margins(0.05)
    ax.autoscale_view()
    fig.savefig(out, dpi=100, facecolor=ax.get_facecolor())
    plt.close(fig)


def drawn(path):
    """Pixels that differ from the picture's background (its corner colour)."""
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.int32)
    background = rgb[0, 0]
    return np.abs(rgb - background).sum(axis=2) > 60


def framed(mask, size):
    """The drawn pixels cropped and scaled into the middle of size x size,
    proportions kept; a target pixel is drawn when any source pixel under it is."""
    ys, xs = np.nonzero(mask)
    out = np.zeros((size, size), dtype=bool)
    if len(xs) == 0:
        return out
    crop = mask[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    h, w = crop.shape
    scale = size / max(h, w)
    nh, nw = max(1, round(h * scale)), max(1, round(w * scale))
    scaled = Image.fromarray(crop.astype(np.uint8) * 255).resize((nw, nh), Image.BOX)
    # Centred: a pixel more or less of extent on one side does not shift the rest.
    top, left = (size - nh) // 2, (size - nw) // 2
    out[top:top + nh, left:left + nw] = np.asarray(scaled) > 0
    return out


def grown(mask, reach):
    out = mask.copy()
    h, w = mask.shape
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            if dx * dx + dy * dy > reach * reach:
                continue
            shifted = np.zeros_like(mask)
            shifted[max(dy, 0):h + min(dy, 0), max(dx, 0):w + min(dx, 0)] = \
                mask[max(-dy, 0):h + min(-dy, 0), max(-dx, 0):w + min(-dx, 0)]
            out |= shifted
    return out


def share_within(a, b, reach):
    total = a.sum()
    return 1.0 if total == 0 else float((a & grown(b, reach)).sum()) / float(total)


def overlap(ours, theirs, size, reach):
    a = framed(drawn(ours), size)
    b = framed(drawn(theirs), size)
    return share_within(a, b, reach), share_within(b, a, reach)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    r = sub.add_parser("render")
    r.add_argument("drawing")
    r.add_argument("out")
    r.add_argument("--size", type=int, default=256)
    r.add_argument("--line-types", action="store_true", help="draw dashes and gaps")
    o = sub.add_parser("overlap")
    o.add_argument("ours")
    o.add_argument("theirs")
    o.add_argument("--size", type=int, default=256)
    o.add_argument("--reach", type=int, default=2)
    args = parser.parse_args()
    if args.command == "render":
        render(args.drawing, args.out, args.size, args.line_types)
    else:
        a, b = overlap(args.ours, args.theirs, args.size, args.reach)
        print(f"{a:.4f} {b:.4f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
