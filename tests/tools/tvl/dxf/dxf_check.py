#!/usr/bin/python3
"""Checks of tvl's DXF against an independent DXF library (ezdxf).

  dxf_check.py audit DXF [DUMP]   audit errors fail; with a dump (tvl dump
                                  --exact), the entities, layers and blocks must match it
  dxf_check.py make DXF           writes a drawing with ezdxf for tvl pack
"""
import re
import sys

import ezdxf
from ezdxf.audit import AuditError

# Invalid names the source drawing already held (some writers replace
# characters they cannot encode by '?'): kept byte for byte, so not ours to fix.
INHERITED = {AuditError.INVALID_LAYER_NAME}


def parse_dump(path):
    """Blocks of a dump: [(header, [(type, layer, name), ...]), ...] and layer names."""
    blocks, layers = [], set()
    with open(path, encoding="latin-1") as f:
        for line in f:
            if line.startswith("T (0.\"LAYER\")"):
                layers.add(re.search(r'\(2\."(.*?)"\)', line).group(1).upper())
            if not line.startswith("E (0."):
                continue
            kind = re.match(r'E \(0\."(.*?)"\)', line).group(1)
            layer = re.search(r'\(8\."(.*?)"\)', line)
            name = re.search(r'\(2\."(.*?)"\)', line)
            item = (kind, layer.group(1) if layer else "0", name.group(1) if name else "")
            if kind == "BLOCK":
                blocks.append((item, []))
            elif kind != "ENDBLK":
                blocks[-1][1].append(item)
    return blocks, layers


def audit(dxf_path, dump_path=None):
    doc = ezdxf.readfile(dxf_path, encoding="latin-1")
    problems = []
    if dump_path:
        blocks, layers = parse_dump(dump_path)
        expected = [e for e in blocks[-1][1] if e[0] not in ("ATTRIB", "VERTEX", "SEQEND")]
        found = [(e.dxftype(), e.dxf.layer, e.dxf.get("name", "") if e.dxftype() == "INSERT" else "")
                 for e in doc.modelspace()]
        expected = [(t, l, n if t == "INSERT" else "") for t, l, n in expected]
        if found != expected:
            problems.append("entities differ: dump %d, DXF %d; first difference %s" % (
                len(expected), len(found),
                next(((a, b) for a, b in zip(expected, found) if a != b), "in length")))
        for name in layers:
            if name not in doc.layers:
                problems.append("layer %s missing" % name)
        for header, _ in blocks[:-1]:
            if header[2] not in doc.blocks:
                problems.append("block %s missing" % header[2])
    report = doc.audit()
    problems += ["audit: %s" % e.message for e in report.errors if e.code not in INHERITED]
    return problems


def make(path):
    doc = ezdxf.new("R2000")
    doc.layers.add("WALLS", color=1)
    doc.layers.add("Doors", color=3, linetype="DASHED")
    bolt = doc.blocks.new("BOLT", base_point=(1, 1))
    bolt.add_circle((1, 1), 0.5, dxfattribs={"layer": "WALLS"})
    bolt.add_line((0.5, 1), (1.5, 1))
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "WALLS"})
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 3), (0, 3)], close=True, dxfattribs={"layer": "Doors"})
    msp.add_circle((2, 1.5), 0.75)
    msp.add_arc((5, 5), 2, 0, 90)
    msp.add_text("PART 7", dxfattribs={"height": 0.5, "layer": "WALLS"}).set_placement((1, 4))
    msp.add_blockref("BOLT", (3, 3), dxfattribs={"xscale": 2, "rotation": 30})
    msp.add_point((0.1, 0.2, 0.3))
    doc.saveas(path)


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "audit":
        problems = audit(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
        for p in problems:
            print("%s: %s" % (sys.argv[2], p))
        return 1 if problems else 0
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
