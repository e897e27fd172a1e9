#!/usr/bin/python3
"""Builds the large benchmark files from what Debian ships.

  dcw_m        every country of the Digital Chart of the World (package gmt-dcw), one record
               per country, each segment a ring, projected to metres (Lambert azimuthal
               equal-area around each country's centre, so no ring is cut at 180 degrees)
  kueste       the one DCW segment closest to 171,943 vertices, as a file of one ring
  ring200k     Australia's mainland ring thinned to 200,000 vertices
  ne_1m, ne_5m the shipped Natural Earth sample (metres) tiled side by side to about one and
               five million vertices

Needs python3-gdal. Usage: grosse_dateien.py SAMPLE.shp OUTDIR
"""
import math
import os
import sys

from osgeo import gdal, ogr, osr

gdal.UseExceptions()
DCW = "/usr/share/gmt-dcw/dcw-gmt.nc"
LEER = 65535  # marks the end of a segment in the DCW arrays


def dcw_laender():
    """(code, [segments of (lon, lat)]) for every two-letter country code."""
    ds = gdal.OpenEx(DCW, gdal.OF_MULTIDIM_RASTER)
    wurzel = ds.GetRootGroup()
    namen = set(wurzel.GetMDArrayNames())
    for name in sorted(namen):
        if not name.endswith("_lon") or len(name) != 6:
            continue
        code = name[:2]
        if code + "_lat" not in namen:
            continue
        spalten = []
        for achse in ("lon", "lat"):
            feld = wurzel.OpenMDArray(code + "_" + achse)
            attr = {a.GetName(): a.Read() for a in feld.GetAttributes()}
            werte = feld.ReadAsArray()
            spalten.append((werte, attr["min"], 1.0 / attr["scale"]))
        (lon, west, sx), (lat, sued, sy) = spalten
        segmente, aktuell = [], []
        for dx, dy in zip(lon, lat):
            if dx == LEER:
                if len(aktuell) >= 3:
                    segmente.append(aktuell)
                aktuell = []
                continue
            aktuell.append((dx * sx + west, dy * sy + sued))
        if len(aktuell) >= 3:
            segmente.append(aktuell)
        if segmente:
            yield code, segmente


def projektion(segmente):
    punkte = [p for s in segmente for p in s]
    # The mean of unit vectors finds the centre also for countries across 180 degrees.
    x = sum(math.cos(math.radians(b)) * math.cos(math.radians(l)) for l, b in punkte)
    y = sum(math.cos(math.radians(b)) * math.sin(math.radians(l)) for l, b in punkte)
    z = sum(math.sin(math.radians(b)) for l, b in punkte)
    lon0 = math.degrees(math.atan2(y, x))
    lat0 = math.degrees(math.atan2(z, math.hypot(x, y)))
    wgs = osr.SpatialReference()
    wgs.ImportFromEPSG(4326)
    wgs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    ziel = osr.SpatialReference()
    ziel.ImportFromProj4("+proj=laea +lat_0=%.6f +lon_0=%.6f +datum=WGS84 +units=m" % (lat0, lon0))
    return osr.CoordinateTransformation(wgs, ziel)


def geschlossen(ring):
    return ring if ring[0] == ring[-1] else ring + [ring[0]]


def schreibe(pfad, saetze):
    """saetze: list of lists of rings (lists of (x, y)); one polygon record each."""
    treiber = ogr.GetDriverByName("ESRI Shapefile")
    if os.path.exists(pfad):
        treiber.DeleteDataSource(pfad)
    ds = treiber.CreateDataSource(pfad)
    lage = ds.CreateLayer(os.path.basename(pfad)[:-4], geom_type=ogr.wkbPolygon,
                          options=["SHPT=POLYGON"])
    lage.CreateField(ogr.FieldDefn("NR", ogr.OFTInteger))
    anzahl = 0
    for nr, ringe in enumerate(saetze, 1):
        g = ogr.Geometry(ogr.wkbPolygon)
        for r in ringe:
            ring = ogr.Geometry(ogr.wkbLinearRing)
            for x, y in geschlossen(r):
                ring.AddPoint_2D(x, y)
            anzahl += ring.GetPointCount()
            g.AddGeometryDirectly(ring)
        f = ogr.Feature(lage.GetLayerDefn())
        f.SetField("NR", nr)
        f.SetGeometryDirectly(g)
        lage.CreateFeature(f)
    ds = None
    return anzahl


def gekachelt(probe, kopien):
    ds = ogr.Open(probe)
    lage = ds.GetLayer()
    x0, x1, y0, y1 = lage.GetExtent()
    breite, hoehe = (x1 - x0) * 1.01, (y1 - y0) * 1.01
    vorlage = []
    for f in lage:
        g = f.GetGeometryRef()
        polygone = [g] if g.GetGeometryType() == ogr.wkbPolygon else \
            [g.GetGeometryRef(i) for i in range(g.GetGeometryCount())]
        ringe = []
        for p in polygone:
            for i in range(p.GetGeometryCount()):
                r = p.GetGeometryRef(i)
                ringe.append([r.GetPoint_2D(k) for k in range(r.GetPointCount())])
        vorlage.append(ringe)
    spalten = math.ceil(math.sqrt(kopien))
    for k in range(kopien):
        dx, dy = (k % spalten) * breite, (k // spalten) * hoehe
        for ringe in vorlage:
            yield [[(x + dx, y + dy) for x, y in r] for r in ringe]


def main():
    probe, ordner = sys.argv[1], sys.argv[2]
    os.makedirs(ordner, exist_ok=True)
    laender = []
    bester = None
    australien = None
    for code, segmente in dcw_laender():
        t = projektion(segmente)
        ringe = [[(p[0], p[1]) for p in t.TransformPoints(s)] for s in segmente]
        laender.append(ringe)
        for r in ringe:
            if bester is None or abs(len(r) - 171943) < abs(len(bester) - 171943):
                bester = r
        if code == "AU":
            australien = max(ringe, key=len)
    print("dcw_m", schreibe(os.path.join(ordner, "dcw_m.shp"), laender), "vertices,",
          len(laender), "records")
    print("kueste", schreibe(os.path.join(ordner, "kueste.shp"), [[bester]]), "vertices")
    schritt = len(australien) / 199999.0
    duenn = [australien[int(i * schritt)] for i in range(199999)]
    print("ring200k", schreibe(os.path.join(ordner, "ring200k.shp"), [[duenn]]), "vertices")
    for name, kopien in (("ne_1m", 94), ("ne_5m", 470)):
        print(name, schreibe(os.path.join(ordner, name + ".shp"), list(gekachelt(probe, kopien))),
              "vertices")


if __name__ == "__main__":
    main()
