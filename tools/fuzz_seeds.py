#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target under OUT/<target>/ (default build-fuzz/seeds).

Every seed is built here from text, so none is a binary that cannot be regenerated: protocol
documents in the server's layout and charsets, the regression inputs of the faults found so far,
track replies, conf.ini files, the program's own skin and timetables.
"""
import datetime
import io
import json
import pathlib
import sys

import openpyxl

ROOT = pathlib.Path(__file__).resolve().parent.parent
FAMILIES = {"GBK": 0, "GB18030": 1, "Big5": 2, "Shift_JIS": 3, "UTF-8": 4}
CODECS = {"GBK": "gbk", "GB18030": "gb18030", "Big5": "cp950", "Shift_JIS": "cp932", "UTF-8": "utf-8"}


def styled(document):
    """The layout of JsonCpp's StyledWriter: three blanks, " : ", keys in order, final newline."""
    return json.dumps(document, indent=3, separators=(",", " : "), sort_keys=True,
                      ensure_ascii=False) + "\n"


def message(command, /, **body):
    return {"header": {"cmd": command}, "body": body}


SESSION = [
    message("8000", cmd="1000", result="succeed", text="登录成功"),
    message("1009", groupid="7", groupname="东区"),
    message("1011", code="浙A12345", id="77", groupname="东区"),
    message("9001", linename="1路", lineid="L1", counterdis="12.5", countertime="50"),
    {"header": {"cmd": "9003"}, "body": {"lineId": "L1", "stationns": [
        {"id": "1", "name": "武林广场", "lat": "30.27", "lng": "120.16", "time": "0"},
        {"id": "2", "name": "西湖", "lat": "30.25", "lng": "120.15", "time": "5"}]}},
    message("9011", name="早班", startdate="2026-12-07", enddate="2026-12-08"),
    message("9017", code="浙A12345", batchname="B01", linenaem="1路", batchdate="2026-12-07",
            planreachtime="2026-12-07 06:00:00", planleavetime="2026-12-07 06:01:00",
            userMarkName="武林广场", flag="0"),
    message("9019", type="batch"),
    message("9007"), message("9009"), message("9021", name="r"),
]

# Inputs that broke the receive path once (see the README's table of bad inputs).
REGRESSIONS = [
    b'{"a":' + b"[" * 999 + b"}",                  # nested past JsonCpp's limit: it threw
    b'{"a":{}',                                    # unbalanced: silenced the client for good
    b'{"k":"\xb1\\""}',                            # Shift_JIS katakana before an escaped quote
]


def wire(charset, documents):
    return "".join(styled(d) for d in documents).encode(CODECS[charset], errors="replace")


def track_reply(fixes, result="true"):
    rows = ",\r\n".join(
        '{"gpst":"2026-12-07 06:%02d:%02d","recvt":"2026-12-07 06:%02d:%02d","lat":%.7f,'
        '"lat_xz":0.0021,"lng":%.7f,"lng_xz":-0.0043}' % (i // 12, i % 12 * 5, i // 12, i % 12 * 5 + 2,
                                                          30.27 + i * 1e-4, 120.16 - i * 1e-4)
        for i in range(fixes))
    return ('{\r\n"msg" : "",\r\n"result" : %s,\r\n"topics" : [\r\n%s\r\n]\r\n}\r\n' % (result, rows)).encode()


def timetable_xlsx():
    """A small timetable workbook: a blank and an "F" header pair, times, dates and numbers."""
    book = openpyxl.Workbook()
    book.active.title = "Other"
    sheet = book.create_sheet("Sheet1")
    sheet.append(["早1", "线路", "", "", "F备注", "x", "晚1", "线路"])
    sheet.append([datetime.time(6, 0), "1路", "a", "b", "c", "d", 18.5, "7路"])
    sheet.append([datetime.time(6, 45, 30), "1路", None, None, None, None, datetime.datetime(2026, 12, 7, 19), "7路"])
    sheet.append([None, "1路", None, None, None, None, "19:30", "7路"])
    data = io.BytesIO()
    book.save(data)
    return data.getvalue()


def seeds():
    out = {name: [] for name in ("framer", "receive", "trackreader", "charset", "ini", "skin", "timetable")}
    # Format byte: even .xlsx, odd .csv.
    out["timetable"].append(b"\0" + timetable_xlsx())
    csv = "早1,线路,,,晚1;x,线路\r\n06:00,1路,,,18:30,7路\r\n\"06:45\",\"1\"\"路\",,,,7路\n,1路\r"
    out["timetable"] += [b"\1" + csv.encode(), b"\1\xef\xbb\xbf" + csv.replace(",", ";").encode(),
                         b"\1" + csv.encode("gbk")]
    for charset, family in FAMILIES.items():
        session = wire(charset, SESSION)
        out["framer"].append(bytes([family, 7]) + session)
        out["receive"].append(bytes([family, 7]) + session)
        out["charset"].append(bytes([family]) + "线路名称：一号线 ｱｲｳ 功 €".encode(CODECS[charset], errors="replace"))
        for bad in REGRESSIONS:
            out["framer"].append(bytes([family, 3]) + bad + b"\n" + session)
            out["receive"].append(bytes([family, 3]) + bad + b"\n" + session)
    out["charset"].append(bytes([1]) + "\U0001F68C 𠀀".encode("gb18030"))
    out["charset"].append(bytes([3]) + "\U000E0000".encode())  # a tag character, which iconv dropped

    out["trackreader"] += [
        track_reply(20), track_reply(3, "false"), track_reply(0),
        b'/* c */{"result":1,"topics":[{"lat":1.,"lng":-},{"lat":-.5,"lng":+3,"gpst":"\\ud800\\u0041"},'
        b'{"lat":1e-400,"lng":01,"lat_xz":2,}],}',
        b'{"result":true,"topics":[{"lat" /* c */ : 1}]}',
        b'{"result":"yes","topics":[{"gpst":"\\u6caa","l\\u0061t":31.5,"lng":[1],"x":{"y":null}}]}',
    ]

    key = {"Server": 0, "User": 1, "Pass": 2, "Remember": 3, "Write": 4}
    conf = [
        b"[login]\r\nServer=127.0.0.1\r\nUser=admin\r\nPass=admin\r\nRemember=1\r\nDataName=fenwarde\r\n",
        b"\xef\xbb\xbf; kept\n[LOGIN]\n  pass = \" pw \" \nWrite=1\r\n[other]\nx=1\r",
        b"[login]\nDataName=a\r\nPass='q'\n[login]\nPass=second",
    ]
    for name, value in (("Pass", b" pw"), ("Pass", b'"pw"'), ("User", "调度员 ".encode()), ("Server", b"")):
        for text in conf:
            out["ini"].append(bytes([key[name]]) + value + b"\0" + text)

    # The program's skin, one window per seed (the whole document would make every input as
    # large as it and the target ten times slower), each with the resources and styles.
    header = (ROOT / "res" / "RESOURCE.H").read_bytes()
    xui = (ROOT / "res" / "the.xui").read_bytes()
    head, rest = xui.split(b"<Windows>", 1)
    windows, tail = rest.split(b"</Windows>", 1)
    for window in windows.split(b"</Window>")[:-1]:
        out["skin"].append(header + b"\0" + head + b"<Windows>" + window + b"</Window></Windows>" + tail)
    out["skin"].append(b"#define IDW_T 1000\n#define IDC_A 1001\n\0"
                       b'<GlimmerkitUI><Version Version="0700" Build="5542"/><DPI LogPixelsX="1"/><Windows>'
                       b'<Window><ID Value="IDW_T"/><Rect Size="1,1" Location="0,0"/><Controls>'
                       b'<WL_PICTURE><ID Value="IDC_A"/><Rect Size="2147483647,9" Location="-2147483648,0"/>'
                       b'<LayoutMode Horizontal="KeepAspect" Vertical="Center"/><ImageResizePoint X="9" Y="9"/>'
                       b'<Image RelativePath="a.bmp"/></WL_PICTURE></Controls></Window></Windows>'
                       b'<Resources><DefaultFont><FONT><Font Height="-2147483648"/></FONT></DefaultFont>'
                       b'</Resources></GlimmerkitUI>')
    return out


def main():
    out_dir = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build-fuzz" / "seeds")
    for target, items in seeds().items():
        folder = out_dir / target
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        for i, data in enumerate(items):
            (folder / ("seed-%02d" % i)).write_bytes(data)
    print("seeds written to %s" % out_dir)


if __name__ == "__main__":
    main()
