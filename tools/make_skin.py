#!/usr/bin/env python3
"""Writes the program's skin: res/the.xui, res/RESOURCE.H and res/skin.qrc.

The windows and their controls are described in the tables below; identifiers are numbered from
1000 in the order windows and controls appear. Bitmaps are drawn by fenwarde-skin-images.
Run from the repository root: python3 tools/make_skin.py
"""
import os
import sys
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")

# Colours are written as the platform keeps them: #00BBGGRR.
COLORS = [
    ("IDR_COLOR_DEFAULT", "#00000000"),
    ("IDR_COLOR_TITLE", "#00804000"),
    ("IDR_COLOR_MASK", "#00FF00FF"),
    ("IDR_COLOR_WHITE", "#00FFFFFF"),
    ("IDR_COLOR_ORANGE", "#000072FF"),
    ("IDR_COLOR_TABLE_S", "#00DCF7FD"),
    ("IDR_COLOR_GRAY", "#00A0A0A0"),
]
DEFAULT_COLOR = "#00383838"
MENU_FACE = "WenQuanYi Micro Hei"  # stands in for the Windows "微软雅黑"
FONTS = [
    ("IDR_FONT_DEFAULT", -12, 400, 0, "Tahoma"),
    ("IDR_FONT_TITLE", -14, 700, 0, "Tahoma"),
    ("IDR_FONT_MENU", -16, 400, 134, MENU_FACE),
    ("IDR_FONT_BOLD", -12, 700, 0, "Tahoma"),
]

# Looks shared by many controls -------------------------------------------------------------

def primary_button():
    return {"IsSpecifyImages": {"Value": "true"}, "IsCombineImages": {"Value": "true"},
            "BkCombine": {"RelativePath": "btn_primary.bmp"}, "ResizingPoint": {"X": "10", "Y": "14"},
            "ColorResN": {"Value": "IDR_COLOR_WHITE"}, "FontResN": {"Value": "IDR_FONT_BOLD"}}

def normal_button():
    return {"IsSpecifyImages": {"Value": "true"}, "IsCombineImages": {"Value": "true"},
            "BkCombine": {"RelativePath": "btn_normal.bmp"}, "ResizingPoint": {"X": "10", "Y": "14"},
            "ColorResN": {"Value": "IDR_COLOR_DEFAULT"}, "IsDSameNColor": {"Value": "false"},
            "ColorResD": {"Value": "IDR_COLOR_GRAY"}}

def image_button(image, right=None):
    return {"IsSpecifyImages": {"Value": "true"}, "IsCombineImages": {"Value": "true"},
            "BkCombine": {"RelativePath": image}}

def system_box(kind, image):
    d = image_button(image)
    d["ButtonType"] = {"Value": kind}
    d["LayoutMode"] = {"Horizontal": "Right", "Vertical": "Top"}
    return d

def edit(password=False, center=False):
    d = {"IsSpecifyImages": {"Value": "true"}, "IsCombineImages": {"Value": "true"},
         "BkCombine": {"RelativePath": "edit.bmp"}, "ResizingPoint": {"X": "10", "Y": "14"},
         "IsTabStop": {"Value": "true"}, "TextMargin": {"Left": "7", "Top": "0", "Right": "7", "Bottom": "0"},
         "TextAlignment": {"Horizontal": "Center" if center else "Left"}}
    if password:
        d["IsPassword"] = {"Value": "true"}
    return d

def label(align="Left", color=None, font=None):
    d = {"TextAlignment": {"Horizontal": align}}
    if color:
        d["ColorResN"] = {"Value": color}
    if font:
        d["FontResN"] = {"Value": font}
    return d

def title(color="IDR_COLOR_WHITE"):
    d = label("Left", color, "IDR_FONT_TITLE")
    d["ShadowText"] = {"ShadowColor": "#00704010"}
    return d

def radio_mark(group=False):
    d = {"IsSpecifyForegroundImages": {"Value": "true"}, "IsCombineForegroundImages": {"Value": "true"},
         "ForeGroundCombine": {"Value": "radio.bmp"},
         "ForegroundAlignMode": {"Horizontal": "Left", "Vertical": "Center"},
         "TextAlignment": {"Horizontal": "Left"},
         "TextMarginN": {"Left": "22", "Top": "0", "Right": "0", "Bottom": "0"}}
    if group:
        d["IsGroup"] = {"Value": "true"}
    return d

def tab(image, group=False, font="IDR_FONT_MENU", color=None):
    d = {"IsSpecifyForegroundImages": {"Value": "true"}, "IsCombineForegroundImages": {"Value": "true"},
         "ForeGroundCombine": {"Value": image},
         "ForegroundAlignMode": {"Horizontal": "Center", "Vertical": "Center"},
         "TextAlignment": {"Horizontal": "Center"}, "FontResN": {"Value": font}}
    if color:
        d["ColorResN"] = {"Value": color}
    if group:
        d["IsGroup"] = {"Value": "true"}
    return d

def list_control(owner_draw=True):
    return {"IsSpecifyImages": {"Value": "true"},
            "BackgroundNormal": {"RelativePath": "list_bg.bmp"},
            "BackgroundDisabled": {"RelativePath": "list_bg.bmp"},
            "ResizingPoint": {"X": "10", "Y": "10"},
            "IsEnableOwnerDraw": {"Value": "true" if owner_draw else "false"},
            "IsFullRowSelect": {"Value": "true"},
            "GridLine": {"Show": "true", "Color": "#00EAE5E0"},
            "NormalItemBk": {"ColorResID": "IDR_COLOR_WHITE", "Effect": "Fill"},
            "HighlightItemBk": {"ColorResID": "IDR_COLOR_WHITE"},
            "SelectedItemBk": {"ColorResID": "IDR_COLOR_TABLE_S", "IsSelectedFitClient": "false"},
            "HeaderHeight": {"Value": "34"},
            "IsHeaderDragDrop": {"Value": "false"},
            "HeaderStyleID": {"Value": "IDR_HEADER_TABLE"},
            "EnableCustomScrollBar": {"Value": "true"},
            "HorizontalScrollbarStyleID": {"Value": "IDR_HOR_SB_HOR"},
            "VerticalScrollbarStyleID": {"Value": "IDR_VER_SB_VER"}}

def picker(image, datetime):
    d = {"IsSpecifyImages": {"Value": "true"}, "IsCombineImages": {"Value": "true"},
         "BkCombine": {"RelativePath": image}, "ResizingPoint": {"X": "10", "Y": "14"},
         "ButtonWidth": {"Value": "24"}}
    if datetime:
        d["TextOffset"] = {"X": "5", "Y": "0"}
        d["DateFormat"] = {"Value": "yyyy-MM-dd"}
    else:
        d["TextAlignment"] = {"VerOffset": "0"}
        d["ComboStyle"] = {"Value": "DropDown"}
    return d

def progress():
    return {"IsSpecifyImages": {"Value": "true"}, "BackgroundNormal": {"RelativePath": "progress_bg.bmp"},
            "ThumbN": {"RelativePath": "progress_thumb.bmp"}, "ResizingPoint": {"X": "10", "Y": "8"}}

def html(start="about:blank"):
    return {"IsHideBorder": {"Value": "true"}, "StartPage": {"Value": start},
            "LayoutMode": {"Horizontal": "Fill", "Vertical": "Fill"}}

def named(name, d):
    """The name screen readers give a control whose caption does not say what it is: an edit, a
    list, a picker, an icon button. Captioned buttons, radios and check boxes need none."""
    d = dict(d)
    d["AccessibleName"] = {"Value": name}
    return d

def default_button(d):
    """The push button Enter presses wherever the focus is in its window."""
    d = dict(d)
    d["IsDefaultButton"] = {"Value": "true"}
    return d

def hidden(d):
    d = dict(d)
    d["IsVisible"] = {"Value": "false"}
    return d

def pager_picture(image, point=("1", "11")):
    return {"Image": {"RelativePath": image}, "ImageResizePoint": {"X": point[0], "Y": point[1]}}

# Windows -------------------------------------------------------------------------------------
# (family, identifier, x, y, w, h, caption, properties)

W = []

def window(ident, size, bg, point, title_bar, controls, **opts):
    W.append(dict(id=ident, size=size, bg=bg, point=point, title_bar=title_bar, controls=controls, **opts))

window("IDW_MAIN", (1150, 655), "main_bg.bmp", (40, 80), 28, [
    ("PUSHBUTTON", "IDC_BTN_MIN", 1024, 0, 42, 25, "", system_box("MinimizeBox", "min.bmp")),
    ("PUSHBUTTON", "IDC_BTN_CLOSE", 1108, 0, 42, 25, "", system_box("CloseBox", "close.bmp")),
    ("RADIO", "IDC_RAD_MENU_XIANLU", 180, 28, 120, 34, "规划路线", tab("tab_menu.bmp", True, color="IDR_COLOR_WHITE")),
    ("RADIO", "IDC_RAD_MENU_PAIBAN", 300, 28, 120, 34, "排班计划", tab("tab_menu.bmp", color="IDR_COLOR_WHITE")),
    ("RADIO", "IDC_RAD_MENU_JIANKONG", 540, 28, 120, 34, "监控管理", tab("tab_menu.bmp", color="IDR_COLOR_WHITE")),
    ("PUSHBUTTON", "IDC_BTN_LOGOUT", 1110, 31, 28, 28, "",
     dict(image_button("logout.bmp"), LayoutMode={"Horizontal": "Right", "Vertical": "Top"},
          ToolTip={"Enable": "true", "ToolTip": "注销"})),
    ("RADIO", "IDC_RAD_MENU_BAOBIAO", 420, 28, 120, 34, "统计报表", tab("tab_menu.bmp", color="IDR_COLOR_WHITE")),
    ("STATIC", "IDC_STA_VER", 40, 5, 60, 20, "V2.0", label("Left", "IDR_COLOR_WHITE", "IDR_FONT_BOLD")),
    ("PUSHBUTTON", "IDC_BTN_SETTING", 1074, 31, 28, 28, "",
     dict(image_button("setting.bmp"), LayoutMode={"Horizontal": "Right", "Vertical": "Top"},
          ToolTip={"Enable": "true", "ToolTip": "设置"})),
    ("PUSHBUTTON", "IDC_BTN_MAX", 1066, 0, 42, 25, "", system_box("MaximizeBox", "max.bmp")),
    # The band under the menu while a lost connection is being made again.
    ("WL_PICTURE", "IDC_WL_PIC_RECONNECT", 0, 62, 1150, 30, "",
     hidden(dict(pager_picture("notice_bg.bmp", ("10", "10")), LayoutMode={"Horizontal": "Fill", "Vertical": "Top"}))),
    ("STATIC", "IDC_STA_RECONNECT", 16, 62, 700, 30, "", hidden(label("Left", None, "IDR_FONT_BOLD"))),
    ("PUSHBUTTON", "IDC_BTN_RECONNECT_STOP", 1034, 65, 104, 24, "停止重连",
     hidden(dict(normal_button(), LayoutMode={"Horizontal": "Right", "Vertical": "Top"}))),
], resizing=True, border=True, win_point=(900, 600))

window("IDW_SUBMENU_LUXIAN", (1150, 33), "submenu_bg.bmp", (10, 16), 0, [
    ("RADIO", "IDC_RAD_SUBMENU_XIANLU_GUANLI", 16, 0, 120, 33, "线路管理", tab("tab_sub.bmp", True, "IDR_FONT_DEFAULT")),
    ("RADIO", "IDC_RAD_SUBMENU_XIANLU__ADD", 136, 0, 120, 33, "线路增加", tab("tab_sub.bmp", False, "IDR_FONT_DEFAULT")),
], win_point=(1100, 16))

PAGER_Y = 529
window("IDW_LUXIAN_GUANLI", (1150, 560), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_LX_GL_NAME", 20, 14, 60, 28, "路线名称", label("Right")),
    ("EDIT", "IDC_EDT_LX_GL_NAME", 88, 14, 200, 28, "", named("路线名称", edit())),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_SEARCH", 300, 14, 80, 28, "查询", primary_button()),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_DELE", 390, 14, 90, 28, "删除所选", normal_button()),
    ("LISTCTRL", "IDC_LSTCTRL_LX_GL", 1, 54, 1148, 468, "", named("线路列表", list_control())),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_FENYE_SHOUYE", 11, PAGER_Y, 28, 23, "",
     dict(image_button("fenye_shouye.bmp"), ToolTip={"Enable": "true", "ToolTip": "首页"})),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_FENYE_MOYE", 107, PAGER_Y, 28, 23, "",
     dict(image_button("fenye_moye.bmp"), ToolTip={"Enable": "true", "ToolTip": "末页"})),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_FENYE_QIAN", 43, PAGER_Y, 28, 23, "",
     dict(image_button("fenye_qian.bmp"), ToolTip={"Enable": "true", "ToolTip": "上一页"})),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_FENYE_NEXT", 75, PAGER_Y, 28, 23, "",
     dict(image_button("fenye_next.bmp"), ToolTip={"Enable": "true", "ToolTip": "下一页"})),
    ("WL_PICTURE", "IDC_WL_PIC_LX_GL_FENYE_LINE", 143, PAGER_Y, 2, 23, "", pager_picture("fenye.bmp")),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_FENYE_GO", 153, PAGER_Y, 44, 23, "跳转",
     dict(image_button("fenye_tiaozhuan.bmp"), ResizingPoint={"X": "10", "Y": "11"},
          ColorResN={"Value": "IDR_COLOR_DEFAULT"})),
    ("EDIT", "IDC_EDT_LX_GL_FENYE_INPUT", 203, PAGER_Y, 40, 23, "",
     named("页码", dict(edit(center=True), ResizingPoint={"X": "10", "Y": "11"}))),
    ("STATIC", "IDC_STA_LX_GL_FENYE_YESHU1", 245, PAGER_Y, 12, 23, "/", label("Center")),
    ("STATIC", "IDC_STA_LX_GL_FENYE_YESHU2", 257, PAGER_Y, 36, 23, "", label("Center")),
    ("STATIC", "IDC_STA_LX_GL_FENYE_YESHU3", 293, PAGER_Y, 20, 23, "页", label("Left")),
    ("WL_PICTURE", "IDC_WL_PIC_LX_GL_FENYE_LINE_2", 319, PAGER_Y, 2, 23, "", pager_picture("fenye.bmp")),
    ("STATIC", "IDC_STA_LX_GL_FENYE_GONG", 329, PAGER_Y, 16, 23, "共", label("Left")),
    ("STATIC", "IDC_STA_LX_GL_FENYE_JILUSHU", 345, PAGER_Y, 44, 23, "", label("Center", "IDR_COLOR_TITLE", "IDR_FONT_BOLD")),
    ("STATIC", "IDC_STA_LX_GL_FENYE_JILU", 389, PAGER_Y, 50, 23, "条记录", label("Left")),
], win_point=(1100, 500))

window("IDW_LUXIAN_ADD", (1150, 560), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_LX_ADD_NAME", 20, 12, 60, 28, "线路名称", label("Right")),
    ("EDIT", "IDC_EDT_LX_ADD_NAME", 88, 12, 180, 28, "", named("线路名称", edit())),
    ("STATIC", "IDC_STA_LX_ADD_ZHANDIAN", 280, 12, 60, 28, "线路站点", label("Right")),
    ("EDIT", "IDC_EDT_LX_ADD_ZHANDIAN", 348, 12, 400, 28, "", named("线路站点", edit())),
    ("STATIC", "IDC_STA_LX_ADD_LENGTH", 20, 46, 60, 24, "长度 — ", label("Right")),
    ("STATIC", "IDC_STA_DIS", 84, 46, 56, 24, "0.00", label("Left", "IDR_COLOR_ORANGE", "IDR_FONT_BOLD")),
    ("STATIC", "IDC_STA_LX_ADD_GONGLI", 140, 46, 32, 24, "公里", label("Left")),
    ("STATIC", "IDC_STA_LX_ADD_ALLTIME", 196, 46, 64, 24, "总时长 — ", label("Right")),
    ("STATIC", "IDC_STA_LX_ADD_TIME", 264, 46, 60, 24, "00:00", label("Left", "IDR_COLOR_ORANGE", "IDR_FONT_BOLD")),
    ("PUSHBUTTON", "IDC_BTN_LX_ADD", 764, 12, 80, 28, "增加", primary_button()),
    ("HTMLCTRL", "IDC_HTMLCTRL_MARK", 1, 78, 1148, 481, "", named("线路地图", html())),
    ("PUSHBUTTON", "IDC_BTN_CLEAR", 854, 12, 90, 28, "清除线路", normal_button()),
], win_point=(1100, 500))

window("IDW_SUBMEBU_PAIBAN", (1150, 33), "submenu_bg.bmp", (10, 16), 0, [
    ("RADIO", "IDC_RAD_SUBMENU_PAIBAN_GUANLI", 16, 0, 120, 33, "排班管理", tab("tab_sub.bmp", True, "IDR_FONT_DEFAULT")),
    ("RADIO", "IDC_RAD_SUBMENU_PAIBAN__ADD", 136, 0, 120, 33, "创建任务", tab("tab_sub.bmp", False, "IDR_FONT_DEFAULT")),
], win_point=(1100, 16))

window("IDW_PAIBAN_GUANLI", (1150, 560), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_PAIBAN_GL_NAME", 20, 14, 40, 28, "名称", label("Right")),
    ("EDIT", "IDC_EDT_PAIBAN_GL_NAME", 68, 14, 200, 28, "", named("排班名称", edit())),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_GL_SEARCH", 280, 14, 80, 28, "查询", primary_button()),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_GL_DELE", 370, 14, 90, 28, "删除所选", normal_button()),
    ("WL_PICTURE", "IDC_WL_PIC_PAIBAN_GL_FENYE", 897, 531, 241, 23, "", hidden(pager_picture("fenye_bg.bmp", ("10", "11")))),
    ("LISTCTRL", "IDC_LSTCTRL_ARRANGE", 1, 54, 1148, 505, "", named("排班列表", list_control())),
], win_point=(1100, 500))

window("IDW_PAIBAN_ADD_FILE", (1150, 255), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_PAIBAN_ADD_NAME", 20, 12, 100, 28, "导入排班计划", label("Left", "IDR_COLOR_TITLE", "IDR_FONT_BOLD")),
    ("EDIT", "IDC_EDT_PAIBAN_ADD_SC", 124, 12, 420, 28, "", named("时刻表文件", edit())),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_ADD", 654, 12, 70, 28, "上传", hidden(primary_button())),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_SHANGCHUAN", 554, 12, 90, 28, "上传文件", primary_button()),
    ("LISTCTRL", "IDC_LSTCTRL_ADDFILE", 1, 50, 1148, 204, "", named("时刻表", list_control(False))),
    # Shown while a timetable is read, when "上传文件" reads "取消".
    ("STATIC", "IDC_STA_PAIBAN_ADD_STATE", 654, 12, 150, 28, "", hidden(label("Left", "IDR_COLOR_TITLE"))),
    ("PROGRESS", "IDC_PRG_PAIBAN_ADD", 810, 20, 200, 12, "", hidden(progress())),
], win_point=(1100, 200))

window("IDW_PAIBAN_ADD_PEIZHI", (1150, 305), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_PAIBAN_ADD_PB", 12, 10, 56, 28, "排班名称", label("Right")),
    ("EDIT", "IDC_EDT_PAIBAN_ADD_PB", 72, 10, 150, 28, "", named("排班名称", edit())),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_ADD_PEIBEI", 230, 10, 80, 28, "配备车辆", primary_button()),
    ("STATIC", "IDC_STA_PAIBAN_ADD_S_TIME", 402, 10, 56, 28, "开始日期", label("Right")),
    ("DATETIMECTRL", "IDC_DATETIME_PAIBAN_ADD_S", 462, 10, 128, 28, "", named("开始日期", picker("datetime.bmp", True))),
    ("STATIC", "IDC_STA_PAIBAN_ADD_E_TIME", 598, 10, 56, 28, "结束时间", label("Right")),
    ("DATETIMECTRL", "IDC_DATETIME_PAIBAN_ADD_E", 658, 10, 128, 28, "", named("结束日期", picker("datetime.bmp", True))),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_SAVE", 798, 10, 70, 28, "保存", primary_button()),
    ("LISTCTRL", "IDC_LSTCTRL_SETCAR", 1, 46, 1148, 228, "", named("车辆配备", list_control(False))),
    # The grid's cell editor.
    ("EDIT", "IDC_EDT_HIDE", 100, 100, 80, 28, "", named("车牌号", hidden(edit()))),
    ("PUSHBUTTON", "IDC_BTN_CANCEL", 876, 10, 70, 28, "取消", normal_button()),
    ("STATIC", "IDC_STA_PAIBAN_SAVE_STATE", 954, 10, 190, 28, "", hidden(label("Left", "IDR_COLOR_TITLE"))),
    ("STATIC", "IDC_STA_PAIBAN_CHECK", 12, 278, 560, 24, "", hidden(label("Left", "IDR_COLOR_ORANGE"))),
    # Beside "配备车辆": fills the grid with a plan, shown in blue until it is taken or dropped.
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_AUTO", 316, 10, 80, 28, "自动配车", primary_button()),
    # Left of the window's layout point, so that they keep their size on a wide screen.
    ("STATIC", "IDC_STA_PAIBAN_AUTO", 580, 278, 360, 24, "", hidden(label("Right", "IDR_COLOR_TITLE"))),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_AUTO_KEEP", 948, 278, 68, 24, "采用", hidden(primary_button())),
    ("PUSHBUTTON", "IDC_BTN_PAIBAN_AUTO_DROP", 1022, 278, 68, 24, "放弃", hidden(normal_button())),
], win_point=(1100, 250))

window("IDW_BAOBIAO", (1150, 560), "page_bg.bmp", (10, 10), 0, [
    ("STATIC", "IDC_STA_STAT_GONGSI", 16, 24, 34, 24, "公司", label("Left")),
    ("PUSHBUTTON", "IDC_BTN_STAT_SEARCH", 792, 22, 70, 28, "查询", primary_button()),
    ("WL_PICTURE", "IDC_WL_PIC_LX_GL_FENYE", 897, 531, 241, 23, "", hidden(pager_picture("fenye_bg.bmp", ("10", "11")))),
    ("COMBOBOX", "IDC_CMB__STAT_GONGSI", 52, 22, 160, 28, "", named("公司", picker("combo.bmp", False))),
    ("STATIC", "IDC_STA_STAT_CHEPAI", 224, 24, 45, 24, "车牌号", label("Left")),
    ("COMBOBOX", "IDC_CMB_STAT_CHEPAI", 270, 22, 160, 28, "", named("车牌号", picker("combo.bmp", False))),
    ("STATIC", "IDC_STA_STAT_S_TIME", 440, 24, 24, 24, "从", label("Center")),
    ("DATETIMECTRL", "IDC_DATETIME_STAT_S", 466, 22, 144, 28, "", named("从", picker("datetime.bmp", True))),
    ("STATIC", "IDC_STA_STAT_E_TIME", 612, 24, 24, 24, "至", label("Center")),
    ("DATETIMECTRL", "IDC_DATETIME_STAT_E", 638, 22, 144, 28, "", named("至", picker("datetime.bmp", True))),
    ("PUSHBUTTON", "IDC_BTN_STAT_SCBB", 870, 22, 80, 28, "生成报表", primary_button()),
    ("STATIC", "IDC_STA_STAT_ZHUANGTAI", 16, 55, 34, 24, "状态", label("Left")),
    ("RADIO", "IDC_RAD_STAT_ZT_ALL", 52, 55, 80, 24, "所有", radio_mark(True)),
    ("RADIO", "IDC_RAD_STAT_ZT_WANCHENG", 136, 55, 80, 24, "完成", radio_mark()),
    ("RADIO", "IDC_RAD_STAT_ZT_WEIWANCHENG", 220, 55, 80, 24, "未完成", radio_mark()),
    ("STATIC", "IDC_STA_STAT_LEIXING", 316, 55, 60, 24, "报表类型", label("Left")),
    ("RADIO", "IDC_RAD_STAT_TYPE_PDF", 380, 55, 64, 24, "PDF", radio_mark(True)),
    ("RADIO", "IDC_RAD_STAT_TYPE_EXCEL", 446, 55, 70, 24, "Excel", radio_mark()),
    # The export format's third choice; it follows "Excel" so that the three are one group.
    ("RADIO", "IDC_RAD_STAT_TYPE_CSV", 518, 55, 64, 24, "CSV", radio_mark()),
    ("PUSHBUTTON", "IDC_BTN_LX_GL_DELE", 11, 533, 75, 21, "删除所选", hidden(normal_button())),
    ("LISTCTRL", "IDC_LSTCTRL_REPORT", 1, 98, 1145, 449, "", named("线路运行报表", list_control(False))),
    # Shown while a report run fetches its track, or an export writes its file.
    ("STATIC", "IDC_STA_STAT_TRACK", 590, 55, 250, 24, "", hidden(label("Right", "IDR_COLOR_TITLE"))),
    ("PROGRESS", "IDC_PRG_STAT_TRACK", 846, 61, 104, 12, "", named("进度", hidden(progress()))),
    # Beside the busy text's place: the detection rule that made the listed real times.
    ("STATIC", "IDC_STA_STAT_RULE", 590, 55, 360, 24, "", hidden(label("Right", "IDR_COLOR_GRAY"))),
    # Beside "生成报表", and like every control of the page inside 1010 pixels: the page fits a
    # screen 1024 pixels wide.
    ("PUSHBUTTON", "IDC_BTN_STAT_EXPORT", 958, 22, 50, 28, "导出", normal_button()),
    ("PUSHBUTTON", "IDC_BTN_STAT_CHART", 958, 52, 50, 28, "图表", normal_button()),
], win_point=(1100, 500))

window("IDW_LOGIN", (387, 266), "login_bg.bmp", (20, 70), 60, [
    ("PUSHBUTTON", "IDC_BTN_LOGIN_CLOSE", 345, 0, 42, 25, "", system_box("CloseBox", "close.bmp")),
    ("STATIC", "IDC_STA_6", 22, 17, 260, 28, "公交调度系统  用户登录", title()),
    ("STATIC", "IDC_STA_LOGIN_USER", 30, 76, 84, 28, "用户名", label("Right")),
    ("EDIT", "IDC_EDT_LOGIN_NAME", 124, 76, 220, 28, "", named("用户名", edit())),
    ("STATIC", "IDC_STA_LOGIN_PASSWORD", 30, 112, 84, 28, "密   码", label("Right")),
    ("EDIT", "IDC_EDT_LOGIN_PASSWORD", 124, 112, 220, 28, "", named("密码", edit(password=True))),
    ("CHECK", "IDC_CHK_LOGIN_JIZHU", 124, 184, 100, 22, "记住密码",
     dict(radio_mark(), ForeGroundCombine={"Value": "check.bmp"})),
    ("PUSHBUTTON", "IDC_BTN_LOGIN", 124, 214, 220, 32, "登录",
     default_button(dict(primary_button(), FontResN={"Value": "IDR_FONT_TITLE"}))),
    ("STATIC", "IDC_STA_SERVER", 30, 148, 84, 28, "服务器地址", label("Right")),
    ("EDIT", "IDC_EDT_SERVER", 124, 148, 220, 28, "", named("服务器地址", edit())),
], mask=True, app_window=True)

window("IDW_BUS_MONITOR", (1147, 560), "page_bg.bmp", (10, 10), 0, [
    ("HTMLCTRL", "IDC_HTMLCTRL_BUS_MONITOR", 0, 0, 1147, 560, "", named("车辆监控", html())),
])

window("IDW_LOAD", (540, 137), "load_bg.bmp", (20, 20), -1, [
    ("PROGRESS", "IDC_PRG_1", 40, 82, 460, 16, "", named("上传进度", progress())),
    ("STATIC", "IDC_STA_LOAD", 40, 40, 460, 28, "数据正在上传，请稍后...", label("Left", "IDR_COLOR_TITLE", "IDR_FONT_MENU")),
], app_window=True)

window("IDW_BAOBIAO_HEAD", (1150, 33), "submenu_bg.bmp", (10, 16), 0, [
    ("RADIO", "IDC_RAD_LINE_RUN", 16, 0, 120, 33, "线路运行报表", tab("tab_sub.bmp", True, "IDR_FONT_DEFAULT")),
    ("RADIO", "IDC_RAD_MORE", 136, 0, 120, 33, "更多报表", tab("tab_sub.bmp", False, "IDR_FONT_DEFAULT")),
], win_point=(1100, 16))

window("IDW_BAOBIAO_WEB", (480, 320), "page_bg.bmp", (10, 10), 0, [
    ("HTMLCTRL", "IDC_HTMLCTRL_NEW_REPOR", 0, 0, 480, 320, "", named("更多报表", html())),
])

window("IDW_SETTING", (480, 352), "setting_bg.bmp", (20, 50), 40, [
    ("STATIC", "IDC_STA_SETTING_TITLE", 18, 6, 200, 28, "设置", title()),
    ("PUSHBUTTON", "IDC_BTN_SETTING_CLOSE", 438, 0, 42, 25, "", system_box("CloseBox", "close.bmp")),
    ("STATIC", "IDC_STA_SETTING_LOG", 40, 80, 110, 28, "是否保存日志", label("Left", None, "IDR_FONT_BOLD")),
    ("RADIO", "IDC_RAD_SETTING_LOG_TRUE", 160, 80, 60, 28, "是", radio_mark(True)),
    ("RADIO", "IDC_RAD_SETTING_LOG_FALSE", 230, 80, 60, 28, "否", radio_mark()),
    # How report runs find arrivals: the first fix inside a circle, or the interpolated crossing.
    ("STATIC", "IDC_STA_SETTING_DETECTION", 40, 122, 110, 28, "到站判定", label("Left", None, "IDR_FONT_BOLD")),
    ("RADIO", "IDC_RAD_SETTING_FIRST_FIX", 160, 122, 110, 28, "首个定位点", radio_mark(True)),
    ("RADIO", "IDC_RAD_SETTING_INTERPOLATED", 280, 122, 110, 28, "精确推算", radio_mark()),
    # Under it, a group of its own: how the events are given to the rows, by nearest plan or in
    # trip order.
    ("RADIO", "IDC_RAD_SETTING_NEAREST", 160, 154, 110, 28, "最近计划", radio_mark(True)),
    ("RADIO", "IDC_RAD_SETTING_SEQUENCE", 280, 154, 110, 28, "按班次顺序", radio_mark()),
    ("STATIC", "IDC_STA_SETTING_PORT", 40, 204, 110, 28, "服务器端口", label("Left", None, "IDR_FONT_BOLD")),
    ("EDIT", "IDC_EDT_SETTING_PORT", 160, 204, 120, 28, "", named("服务器端口", edit())),
    ("STATIC", "IDC_STA_SETTING_WEBPORT", 40, 246, 110, 28, "网页端口", label("Left", None, "IDR_FONT_BOLD")),
    ("EDIT", "IDC_EDT_SETTING_WEBPORT", 160, 246, 120, 28, "", named("网页端口", edit())),
    ("STATIC", "IDC_STA_SETTING_PORT_HINT", 40, 288, 400, 24, "端口的修改在下次登录时生效", label("Left", "IDR_COLOR_GRAY")),
], mask=True)

# The punctuality charts of the listed report; the two chart areas are placeholders that the
# window fills with its charts.
window("IDW_BAOBIAO_CHART", (1000, 680), "setting_bg.bmp", (20, 50), 40, [
    ("STATIC", "IDC_STA_CHART_TITLE", 18, 6, 400, 28, "准点图表", title()),
    ("PUSHBUTTON", "IDC_BTN_CHART_CLOSE", 958, 0, 42, 25, "", system_box("CloseBox", "close.bmp")),
    ("STATIC", "IDC_STA_CHART_SUBJECT", 20, 48, 840, 24, "", label("Left", "IDR_COLOR_TITLE", "IDR_FONT_BOLD")),
    ("PUSHBUTTON", "IDC_BTN_CHART_PNG", 880, 46, 100, 28, "导出图片", normal_button()),
    ("STATIC", "IDC_STA_CHART_LINE", 10, 84, 980, 290, "", label("Left")),
    ("STATIC", "IDC_STA_CHART_HIST", 10, 382, 980, 290, "", label("Left")),
], mask=True)

# Styles shared by the lists.
STYLES = [
    ("ListControls", None),
    ("Headers", ("STYLE_HEADERCTRL", "IDR_HEADER_TABLE", [
        ("HeaderButtonCombine", {"RelativePath": "table_header_bg.bmp"}),
        ("IsCombineHeaderButtonImages", {"Value": "true"}),
        ("HeaderButtonResizePoint", {"X": "10", "Y": "17"}),
        ("HeaderBkResizingPoint", {"X": "10", "Y": "17"}),
    ])),
    ("HorScrollbars", ("STYLE_HORSCROLLBAR", "IDR_HOR_SB_HOR", [
        ("BackgroundNormal", {"RelativePath": "sb_hor_bk.bmp"}),
        ("BackgroundHighlight", {"RelativePath": "sb_hor_bk.bmp"}),
        ("BackgroundSelected", {"RelativePath": "sb_hor_bk.bmp"}),
        ("BackgroundDisabled", {"RelativePath": "sb_hor_bk.bmp"}),
        ("ThumbNormal", {"RelativePath": "sb_hor_thumb_n.bmp"}),
        ("ThumbHighlight", {"RelativePath": "sb_hor_thumb_h.bmp"}),
        ("ThumbSelected", {"RelativePath": "sb_hor_thumb_s.bmp"}),
        ("ThumbDisabled", {"RelativePath": "sb_hor_thumb_n.bmp"}),
        ("ResizingPoint", {"X": "20", "Y": "6"}),
        ("ThumbResizingPoint", {"X": "20", "Y": "6"}),
        ("LeftUpButtonSize", {"Size": "0,12"}),
        ("RightDownButtonSize", {"Size": "0,12"}),
    ])),
    ("VerScrollbars", ("STYLE_VERSCROLLBAR", "IDR_VER_SB_VER", [
        ("BackgroundNormal", {"RelativePath": "sb_ver_bk.bmp"}),
        ("BackgroundHighlight", {"RelativePath": "sb_ver_bk.bmp"}),
        ("BackgroundSelected", {"RelativePath": "sb_ver_bk.bmp"}),
        ("BackgroundDisabled", {"RelativePath": "sb_ver_bk.bmp"}),
        ("ThumbNormal", {"RelativePath": "sb_ver_thumb_n.bmp"}),
        ("ThumbHighlight", {"RelativePath": "sb_ver_thumb_h.bmp"}),
        ("ThumbSelected", {"RelativePath": "sb_ver_thumb_s.bmp"}),
        ("ThumbDisabled", {"RelativePath": "sb_ver_thumb_n.bmp"}),
        ("ResizingPoint", {"X": "6", "Y": "20"}),
        ("ThumbResizingPoint", {"X": "6", "Y": "20"}),
        ("LeftUpButtonSize", {"Size": "12,0"}),
        ("RightDownButtonSize", {"Size": "12,0"}),
    ])),
]
STYLE_GROUPS = ["PushButtons", "CheckBoxes", "RadioButtons", "ComboBoxes", "Statics", "Edits", "Sliders",
                "Progresses", "Spins", "HotKeys", "IPAdresses", "SliderExes", "ListControls", "TreeControls",
                "TreeLists", "RichEdits", "HtmlControls", "DateTimes", "WaveControls", "Menus", "Menubars",
                "Headers", "HorScrollbars", "VerScrollbars", "WindowlessLine", "WindowlessPicture"]

COMMON_ORDER = ["Parent", "ID", "Rect", "IsVisible", "LayoutMode", "ParentLayoutMargin",
                "FontResN", "ColorResN", "Caption", "ToolTip", "AccessibleName"]

# Families a user operates: each is a tab stop and needs a name a screen reader can say.
INTERACTIVE = {"PUSHBUTTON", "CHECK", "RADIO", "COMBOBOX", "EDIT", "RICHEDIT", "SLIDER", "SLIDEREX", "SPIN",
               "HOTKEY", "IPADDRESS", "LISTCTRL", "TREECTRL", "TREELIST", "DATETIMECTRL", "HTMLCTRL"}
# Families whose caption is their name.
CAPTION_NAMES = {"PUSHBUTTON", "CHECK", "RADIO"}
SYSTEM_BOXES = {"MinimizeBox", "MaximizeBox", "CloseBox"}


def unnamed(c):
    """Whether a control a user operates has nothing a screen reader could call it: no caption
    that names it, no AccessibleName, no tooltip, and it is no title-bar box."""
    family, ident, x, y, w, h, caption, props = c
    if family not in INTERACTIVE:
        return False
    if family in CAPTION_NAMES and caption:
        return False
    tip = props.get("ToolTip", {})
    return not (props.get("AccessibleName", {}).get("Value") or
                (tip.get("Enable") == "true" and tip.get("ToolTip")) or
                props.get("ButtonType", {}).get("Value") in SYSTEM_BOXES)


def element(name, attrs, indent):
    text = " ".join(f"{k}={quoteattr(v)}" for k, v in attrs.items())
    return f"{indent}<{name} {text}/>\n" if text else f"{indent}<{name}/>\n"


def control_xml(window_id, c):
    family, ident, x, y, w, h, caption, props = c
    props = dict(props)
    common = {
        "Parent": {"ID": window_id},
        "ID": {"Value": ident},
        "Rect": {"Size": f"{w},{h}", "Location": f"{x},{y}"},
    }
    if "IsVisible" in props:
        common["IsVisible"] = props.pop("IsVisible")
    common["LayoutMode"] = props.pop("LayoutMode", {"Horizontal": "Default", "Vertical": "Default"})
    common["ParentLayoutMargin"] = props.pop("ParentLayoutMargin",
                                             {"Left": "0", "Top": "0", "Right": "0", "Bottom": "0"})
    common["FontResN"] = props.pop("FontResN", {"Value": "IDR_FONT_DEFAULT"})
    common["ColorResN"] = props.pop("ColorResN", {"Value": "IDR_COLOR_DEFAULT"})
    common["Caption"] = {"Value": caption}
    common["ToolTip"] = props.pop("ToolTip", {"Enable": "false", "ToolTip": ""})
    if "AccessibleName" in props:
        common["AccessibleName"] = props.pop("AccessibleName")
    if family in INTERACTIVE:
        props.setdefault("IsTabStop", {"Value": "true"})
    out = f"\t\t\t\t<{family}>\n"
    for key in COMMON_ORDER:
        if key in common:
            out += element(key, common[key], "\t\t\t\t\t")
    for key, attrs in props.items():
        out += element(key, attrs, "\t\t\t\t\t")
    out += f"\t\t\t\t</{family}>\n"
    return out


def window_xml(win):
    bg = win["bg"]
    px, py = win["point"]
    wx, wy = win.get("win_point", win["point"])
    out = "\t\t<Window>\n"
    out += element("ID", {"Value": win["id"]}, "\t\t\t")
    out += element("Rect", {"Size": "%d,%d" % win["size"], "Location": "0,0"}, "\t\t\t")
    for state in ("Normal", "Highlight", "Selected", "Disabled"):
        out += element("Background" + state, {"RelativePath": bg}, "\t\t\t")
    out += element("ImageResizeMode", {"Value": "9Grid"}, "\t\t\t")
    out += element("ResizingPoint", {"X": str(px), "Y": str(py)}, "\t\t\t")
    out += element("TitleBarHeight", {"Value": str(win["title_bar"])}, "\t\t\t")
    out += element("BackgroundHide", {"RelativePath": ""}, "\t\t\t")
    out += element("IsUseMaskColor", {"Value": "true" if win.get("mask") else "false"}, "\t\t\t")
    out += element("MaskColorResID", {"Value": "IDR_COLOR_MASK"}, "\t\t\t")
    out += element("IsResizing", {"Value": "true" if win.get("resizing") else "false"}, "\t\t\t")
    out += element("IsResizingBorder", {"Value": "true" if win.get("border") else "false"}, "\t\t\t")
    same = "win_point" not in win
    out += element("WinResizePtSameImgResizePt", {"Value": "true" if same else "false"}, "\t\t\t")
    out += element("WindowResizingPoint", {"X": str(wx), "Y": str(wy)}, "\t\t\t")
    out += element("IsAppWindow", {"Value": "true" if win.get("app_window") else "false"}, "\t\t\t")
    out += "\t\t\t<Controls>\n"
    for c in win["controls"]:
        out += control_xml(win["id"], c)
    out += "\t\t\t</Controls>\n\t\t</Window>\n"
    return out


def font_xml(height, weight, charset, face, indent):
    return element("Font", {"Height": str(height), "Width": "0", "lfEscapement": "0", "Orientation": "0",
                            "Weight": str(weight), "Italic": "0", "Underline": "0", "StrikeOut": "0",
                            "CharSet": str(charset), "OutPrecision": "0", "ClipPrecision": "0",
                            "Quality": "0", "PitchAndFamily": "0", "FaceName": face}, indent)


def document():
    out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    out += "<!--DO NOT EDIT OR DELETE THIS GLIMMERKIT UI FILE!-->\n"
    out += "<!--Fen_warde skin: written by tools/make_skin.py; change the tables there, not this file.-->\n"
    out += "<GlimmerkitUI>\n"
    out += element("Configuration", {"OpenProgram": "Loomwright.exe"}, "\t")
    out += element("Version", {"Version": "0700", "Build": "5542", "ChangeList": "5749"}, "\t")
    out += element("DPI", {"LogPixelsX": "96", "LogPixelsY": "96"}, "\t")
    out += "\t<Windows>\n"
    for win in W:
        out += window_xml(win)
    out += "\t</Windows>\n\t<Resources>\n"
    out += "\t\t<DefaultFont>\n\t\t\t<FONT>\n" + font_xml(-12, 400, 0, "Tahoma", "\t\t\t\t") + "\t\t\t</FONT>\n\t\t</DefaultFont>\n"
    out += "\t\t<Fonts>\n"
    for ident, height, weight, charset, face in FONTS:
        out += "\t\t\t<FONT>\n" + element("ID", {"Value": ident}, "\t\t\t\t")
        out += font_xml(height, weight, charset, face, "\t\t\t\t") + "\t\t\t</FONT>\n"
    out += "\t\t</Fonts>\n"
    out += "\t\t<DefaultColor>\n\t\t\t<COLOR>\n" + element("Color", {"Value": DEFAULT_COLOR}, "\t\t\t\t")
    out += "\t\t\t</COLOR>\n\t\t</DefaultColor>\n\t\t<Colors>\n"
    for ident, value in COLORS:
        out += "\t\t\t<COLOR>\n" + element("ID", {"Value": ident}, "\t\t\t\t")
        out += element("Color", {"Value": value}, "\t\t\t\t") + "\t\t\t</COLOR>\n"
    out += "\t\t</Colors>\n\t</Resources>\n\t<Styles>\n"
    filled = {g: s for g, s in STYLES if s}
    for group in STYLE_GROUPS:
        if group not in filled:
            out += f"\t\t<{group}/>\n"
            continue
        kind, ident, children = filled[group]
        out += f"\t\t<{group}>\n\t\t\t<{kind}>\n" + element("ID", {"Value": ident}, "\t\t\t\t")
        for name, attrs in children:
            out += element(name, attrs, "\t\t\t\t")
        out += f"\t\t\t</{kind}>\n\t\t</{group}>\n"
    out += "\t</Styles>\n</GlimmerkitUI>\n"
    return out


# Identifiers added after the first 121 keep those numbers stable: they are numbered from 1121 in
# the order of this list, wherever their controls stand in the tables. Append new ones at the end.
ADDED = [
    "IDC_BTN_MAX", "IDC_WL_PIC_RECONNECT", "IDC_STA_RECONNECT", "IDC_BTN_RECONNECT_STOP",
    "IDC_STA_SETTING_PORT", "IDC_EDT_SETTING_PORT", "IDC_STA_SETTING_WEBPORT", "IDC_EDT_SETTING_WEBPORT",
    "IDC_STA_SETTING_PORT_HINT",
    "IDC_STA_PAIBAN_SAVE_STATE",
    "IDC_STA_STAT_TRACK",
    "IDC_PRG_STAT_TRACK",
    "IDC_STA_PAIBAN_CHECK",
    "IDC_STA_SETTING_DETECTION", "IDC_RAD_SETTING_FIRST_FIX", "IDC_RAD_SETTING_INTERPOLATED",
    "IDC_STA_STAT_RULE",
    "IDC_RAD_STAT_TYPE_CSV", "IDC_BTN_STAT_EXPORT", "IDC_BTN_STAT_CHART",
    "IDW_BAOBIAO_CHART", "IDC_STA_CHART_TITLE", "IDC_BTN_CHART_CLOSE", "IDC_STA_CHART_SUBJECT",
    "IDC_BTN_CHART_PNG", "IDC_STA_CHART_LINE", "IDC_STA_CHART_HIST",
    "IDC_STA_PAIBAN_ADD_STATE", "IDC_PRG_PAIBAN_ADD",
    "IDC_BTN_PAIBAN_AUTO", "IDC_STA_PAIBAN_AUTO", "IDC_BTN_PAIBAN_AUTO_KEEP", "IDC_BTN_PAIBAN_AUTO_DROP",
    "IDC_RAD_SETTING_NEAREST", "IDC_RAD_SETTING_SEQUENCE",
]

ORIGINAL_COUNT = 121


def identifiers():
    names = []
    for win in W:
        for name in [win["id"]] + [c[1] for c in win["controls"]]:
            if name not in names and name != "IDC_STATIC" and name not in ADDED:
                names.append(name)
    return names + ADDED


def header(names):
    out = "//{{NO_DEPENDENCIES}}\r\n// Identifiers of the Fen_warde skin, written by tools/make_skin.py.\r\n//\r\n"
    width = max(len(n) for n in names) + 1
    for i, name in enumerate(names):
        out += "#define %s %d\r\n" % (name.ljust(width), 1000 + i)
    return out


def resource_name(file_name):
    lower = file_name.lower()
    stem, dot, ext = lower.rpartition(".")
    if not dot:
        stem, ext = lower, ""
    hexed = ""
    for b in stem.encode("utf-16-le"):
        if b:
            hexed += "%02X" % b
    return "I" + hexed + ("." + ext.upper() if dot else "")


def images_used():
    used = []
    text = document()
    import re
    for m in re.finditer(r'(?:RelativePath|Value)="([^"]+\.bmp)"', text):
        if m.group(1) not in used:
            used.append(m.group(1))
    return used


def qrc(images):
    out = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/skin\">\n"
    out += "    <file alias=\"the.xui\">the.xui</file>\n    <file alias=\"RESOURCE.H\">RESOURCE.H</file>\n"
    for image in sorted(images):
        out += f"    <file alias=\"{resource_name(image)}\">images/{image}</file>\n"
    out += "  </qresource>\n  <qresource prefix=\"/bitmaps\">\n"
    for number in (131, 132, 133):
        out += f"    <file alias=\"{number}.bmp\">images/{number}.bmp</file>\n"
    out += "  </qresource>\n</RCC>\n"
    return out


def main():
    names = identifiers()
    nameless = [c[1] for w in W for c in w["controls"] if unnamed(c)]
    if nameless:
        sys.exit("controls without a name for screen readers (give them a caption, or wrap their "
                 "properties in named(...)): " + ", ".join(nameless))
    if len(names) != ORIGINAL_COUNT + len(ADDED):
        sys.exit(f"expected {ORIGINAL_COUNT} identifiers before the added ones, got {len(names) - len(ADDED)}")
    with open(os.path.join(RES, "the.xui"), "w", encoding="utf-8-sig", newline="\n") as f:
        f.write(document())
    with open(os.path.join(RES, "RESOURCE.H"), "w", encoding="ascii", newline="") as f:
        f.write(header(names))
    images = images_used()
    missing = [i for i in images if not os.path.exists(os.path.join(RES, "images", i))]
    if missing:
        sys.exit("bitmaps missing (run fenwarde-skin-images): " + ", ".join(missing))
    with open(os.path.join(RES, "skin.qrc"), "w", encoding="utf-8") as f:
        f.write(qrc(images))
    print(f"{len(W)} windows, {sum(len(w['controls']) for w in W)} controls, {len(names)} identifiers, "
          f"{len(images)} skin bitmaps")


if __name__ == "__main__":
    main()
