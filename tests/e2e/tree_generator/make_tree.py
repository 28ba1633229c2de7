#!/usr/bin/env python3
"""Makes synthetic Windows 2000 / XP / Server 2003 installation trees and a
sample mass-storage driver, for tests, benchmarks and the shipped sample.

Nothing here comes from a Windows CD: every setup file is written from
scratch with the sections, keys and byte forms that Windows setup files have
(code page 932 text, CR LF line ends, TXTSETUP.SIF closed by the end-of-file
byte 0x1A, SVCPACK.IN_ and MSHDC.IN_ stored as MSZIP cabinets).

The same arguments always give the same bytes: file contents come from
generators seeded with the seed and the file's path, the cabinets are made
by gcab from inputs with a fixed time stamp, and every file and folder gets
that same time stamp.

    make_tree.py --target xp --case upper --size 300K --tree OUT
    make_tree.py --driver DRV
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

# 2004-08-04 12:00:00 UTC: the time stamp of every file and cabinet entry.
FIXED_TIME = 1091620800

# What differs between the three targets. The CD name is what version
# detection reads from SourceDisksNames line 1: it holds "2000", "XP" or
# "2003" and none of the other two.
TARGETS = {
    "2000": {
        "cd_name": "Windows 2000 Professional CD-ROM",
        "minor": "0",
        "build": "2195",
        "windir": "\\WINNT",
        "tags": ["CDROM_NT.5", "CDROM_IP.5"],
        "names_section": "SourceDisksNames",
    },
    "xp": {
        "cd_name": "Windows XP Professional CD",
        "minor": "1",
        "build": "2600",
        "windir": "\\WINDOWS",
        "tags": ["WIN51", "WIN51IP", "WIN51IP.SP2"],
        "names_section": "SourceDisksNames.x86",
    },
    "2003": {
        "cd_name": "Windows Server 2003 Standard Edition CD",
        "minor": "2",
        "build": "3790",
        "windir": "\\WINDOWS",
        "tags": ["WIN51", "WIN51IS", "WIN51IS.SP1"],
        "names_section": "SourceDisksNames.x86",
    },
    # An x64 CD: the 64-bit setup files in AMD64, the 32-bit WOW64 files
    # in I386 (listed in AMD64/TXTSETUP.SIF under SourceDisksFiles.x86).
    # XP x64 is NT 5.2, build 3790.
    "x64": {
        "cd_name": "Windows XP Professional x64 Edition CD",
        "minor": "2",
        "build": "3790",
        "windir": "\\WINDOWS",
        "tags": ["WIN51", "WIN51AP", "WIN51AP.SP2"],
        "names_section": "SourceDisksNames.amd64",
        "setup": "AMD64",
    },
}

# The disk of the WOW64 files in I386 of an x64 tree.
WOW64_DISK = "55"


def setup_folder(target):
    """The folder of the setup files: I386, or AMD64 on an x64 tree."""
    return TARGETS[target].get("setup", "I386")


def x64_filler(filler):
    """The filler of an x64 tree: what an x86 tree has in I386 is in AMD64,
    except every ninth file from the fifth on, which stays in I386 as a
    WOW64 file."""
    placed = []
    for index, relative in enumerate(filler):
        if relative.startswith("I386/"):
            folder = relative.rsplit("/", 1)[0]
            if not (index % 9 == 4 and folder in ("I386", "I386/SYSTEM32")):
                relative = "AMD64/" + relative[len("I386/"):]
        placed.append(relative)
    return placed

# Directory numbers of [WinntDirectories]; the driver patch looks up
# "system32\drivers", "inf" and the Windows folder itself ("\").
WINNT_DIRECTORIES = [
    ("1", '"\\"'),
    ("2", "system32"),
    ("3", "system32\\config"),
    ("4", "system32\\drivers"),
    ("5", "system"),
    ("6", "fonts"),
    ("7", "help"),
    ("8", "media"),
    ("9", "system32\\spool"),
    ("11", "system32\\wbem"),
    ("20", "inf"),
]

# Mass-storage drivers already known to text-mode setup in every tree:
# (service, hardware ids, description in code page 932 text).
KNOWN_MINIPORTS = [
    ("smpide", ["PCI\\VEN_1234&DEV_0A01", "PCI\\VEN_1234&DEV_0A02"],
     "サンプル IDE コントローラ"),
    ("qrscsi", ["PCI\\VEN_1AB1&DEV_2001"], "QR Ultra SCSI ホスト アダプタ"),
    ("dkraid", ["PCI\\VEN_1D0C&DEV_0101&SUBSYS_00011D0C", "PCI\\VEN_1D0C&DEV_0102"],
     "DK RAID 表示付きコントローラ"),
    ("vxsata", ["PCI\\VEN_15F1&DEV_3112"], "VX シリアル ATA コントローラ"),
]

# What a retail CD's TXTSETUP.SIF has besides the storage drivers, for the
# trees written with --retail-shape. Every "*.Load" section is
# component = file, and the service is the file's name without ".sys":
# [Keyboard.Load] and [ScsiClass.Load] key lines by a component name that
# is not the service. (section, [(component, file)])
RETAIL_LOADS = [
    ("BootBusExtenders.Load", [("acpi", "acpi.sys"), ("pci", "pci.sys"),
                               ("isapnp", "isapnp.sys")]),
    ("BusExtenders.Load", [("pciide", "pciide.sys"), ("pcmcia", "pcmcia.sys")]),
    ("InputDevicesSupport.Load", [("usbehci", "usbehci.sys"), ("usbuhci", "usbuhci.sys"),
                                  ("usbhub", "usbhub.sys"), ("hidusb", "hidusb.sys")]),
    ("Keyboard.Load", [("STANDARD", "i8042prt.sys"), ("kbdhid", "kbdhid.sys")]),
    ("ScsiClass.Load", [("cdrom", "cdrom.sys"), ("floppy", "sfloppy.sys"),
                        ("disk", "disk.sys")]),
]

# [Mouse] and [Keyboard]: component = "description", files section,
# service. mouhid is loaded through [Mouse] alone.
RETAIL_MOUSE = [
    ("msps2", "PS/2 互換マウス", "files.i8042", "i8042prt"),
    ("mouhid", "USB マウス", "files.mouhid", "mouhid"),
    ("none", "マウスまたはポインティング デバイスなし", "files.none", ""),
]
RETAIL_KEYBOARD = [
    ("STANDARD", "日本語 PS/2 キーボード (106/109 キー)", "files.i8042", "i8042prt"),
    ("kbdhid", "USB キーボード", "files.kbdhid", "kbdhid"),
]

# [HardwareIdsDatabase] lines of the other services, each named by one of
# the sections above. The two last are traits retail CDs have carried since
# 2001 and setup tolerates: a service written with its ".sys" suffix, and
# an ID given a second time to another service (setup takes the first).
RETAIL_HARDWARE_IDS = [
    ("*PNP0A03", "pci"), ("*PNP0C08", "acpi"), ("PCI\\CC_0604", "pci"),
    ("PCI\\CC_0101", "pciide"), ("PCI\\CC_0607", "pcmcia"),
    ("PCI\\CC_0C0320", "usbehci"), ("PCI\\CC_0C0300", "usbuhci"),
    ("USB\\ROOT_HUB20", "usbhub"), ("USB\\Class_03", "hidusb"),
    ("*PNP0303", "i8042prt"), ("*PNP0F13", "i8042prt"),
    ("HID_DEVICE_SYSTEM_KEYBOARD", "kbdhid"), ("HID_DEVICE_SYSTEM_MOUSE", "mouhid"),
    ("GenDisk", "disk"), ("GenCdRom", "cdrom"), ("GenSFloppy", "sfloppy"),
    ("PCI\\VEN_1AB1&DEV_2002", "qrscsi.sys"),
    ("PCI\\VEN_1234&DEV_0A02", "vxsata"),
]

# The retail services' driver files: every .Load file and mouhid.sys.
RETAIL_FILES = sorted({file for _, lines in RETAIL_LOADS for _, file in lines} | {"mouhid.sys"})

STEMS = ["ac", "bl", "cf", "dk", "ev", "fs", "gx", "hl", "io", "kb",
         "lp", "mx", "nd", "pc", "qs", "rd", "sc", "tm", "us", "vd"]
TAILS = ["core", "port", "mgr", "svc", "lib"]
PACKED_EXTENSIONS = [".SY_", ".DL_", ".EX_", ".DL_", ".SY_", ".CP_", ".HL_"]


class GeneratorError(Exception):
    pass


def parse_size(text):
    """'300K', '500M', '1G' or a plain number of bytes."""
    units = {"K": 1024, "M": 1024 ** 2, "G": 1024 ** 3}
    text = text.strip().upper()
    factor = 1
    if text and text[-1] in units:
        factor = units[text[-1]]
        text = text[:-1]
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a size: use a number with K, M or G")
    if value < 0:
        raise argparse.ArgumentTypeError("a size is not negative")
    return value * factor


def sjis(text):
    return text.encode("cp932")


def crlf_lines(lines):
    """Joins text lines into code page 932 bytes, each line ended by CR LF."""
    return b"".join(sjis(line) + b"\r\n" for line in lines)


class Tree:
    """Writes files below one root, in the name case of the variant."""

    def __init__(self, root, lower):
        self.root = root
        self.lower = lower
        self.written = 0

    def host_name(self, relative):
        return relative.lower() if self.lower else relative

    def write(self, relative, data):
        path = os.path.join(self.root, self.host_name(relative))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        self.written += len(data)
        return path

    def write_stream(self, relative, size, rng):
        path = os.path.join(self.root, self.host_name(relative))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        left = size
        with open(path, "wb") as out:
            while left > 0:
                chunk = min(left, 1 << 20)
                out.write(rng.randbytes(chunk))
                left -= chunk
        self.written += size


def find_gcab():
    gcab = shutil.which("gcab")
    if gcab is None:
        raise GeneratorError("gcab not found: install the gcab package")
    return gcab


def cabinet(data, inner_name, work_folder):
    """An MSZIP cabinet holding `data` under `inner_name`, made by gcab."""
    gcab = find_gcab()
    source = os.path.join(work_folder, inner_name)
    target = os.path.join(work_folder, "out.cab")
    with open(source, "wb") as out:
        out.write(data)
    os.utime(source, (FIXED_TIME, FIXED_TIME))
    env = dict(os.environ, TZ="UTC")
    result = subprocess.run([gcab, "-c", "-z", target, inner_name], cwd=work_folder,
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise GeneratorError("gcab failed: " + result.stderr.decode(errors="replace").strip())
    with open(target, "rb") as packed:
        cab = packed.read()
    os.remove(source)
    os.remove(target)
    return cab


def filler_names():
    """About a hundred invented file names with their folders."""
    names = []
    index = 0
    for tail in TAILS:
        for stem in STEMS:
            extension = PACKED_EXTENSIONS[index % len(PACKED_EXTENSIONS)]
            name = (stem + tail).upper()
            if index % 23 == 5:
                folder = "I386/SYSTEM32/"
                extension = {".SY_": ".SYS", ".DL_": ".DLL", ".EX_": ".EXE", ".CP_": ".CPL",
                             ".HL_": ".HLP"}[extension]
            elif index % 19 == 7:
                folder = "I386/LANG/"
                extension = ".NLS"
            elif index % 17 == 3:
                folder = "I386/COMPDATA/"
                name = name + "_COMPATIBILITY_REPORT"
                extension = ".TXT"
            else:
                folder = "I386/"
            names.append(folder + name + extension)
            index += 1
    names += ["SUPPORT/TOOLS/SUPTOOLS.MSI", "SUPPORT/TOOLS/README.TXT",
              "DOCS/NEWFEATURES.HTM", "DOCS/SETUP_NOTES.TXT"]
    return names


def text_bytes(rng, size):
    """Compressible code page 932 text of about `size` bytes, CR LF lines."""
    words = ["セットアップ", "ドライバ", "ファイル", "表示", "setup", "driver", "volume",
             "controller", "フォルダ", "disk", "コピー", "version"]
    out = bytearray()
    while len(out) < size:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(3, 12)))
        out += sjis(line) + b"\r\n"
    return bytes(out[:size])


def boot_sector():
    """A 2048-byte no-emulation boot image: prints one line and halts.

    It finds its own message through call/pop, so it runs whether the BIOS
    jumps to 07C0:0000 or to 0000:7C00."""
    message = b"ornibe sample tree: this boot image only prints this line.\r\n\0"
    code = bytes([
        0xE8, 0x00, 0x00,        # call next
        0x5E,                    # next: pop si
        0x0E, 0x1F,              # push cs; pop ds
        0x83, 0xC6, 0x19,        # add si, message - next
        0xFC,                    # cld
        0xAC,                    # print: lodsb
        0x08, 0xC0,              # or al, al
        0x74, 0x09,              # jz done
        0xB4, 0x0E,              # mov ah, 0Eh (teletype output)
        0xBB, 0x07, 0x00,        # mov bx, 7
        0xCD, 0x10,              # int 10h
        0xEB, 0xF2,              # jmp print
        0xFA, 0xF4,              # done: cli; hlt
        0xEB, 0xFC,              # jmp done
    ])
    image = bytearray(2048)
    image[0:len(code)] = code
    image[len(code):len(code) + len(message)] = message
    image[510] = 0x55
    image[511] = 0xAA
    return bytes(image)


def txtsetup_sif(target, filler, retail=False):
    """TXTSETUP.SIF; with retail, also the other services' load sections,
    [Mouse] and [Keyboard] and the traits of a retail CD."""
    info = TARGETS[target]
    lines = [
        "; TXTSETUP.SIF: text-mode setup information (synthetic test tree)",
        "; 日本語版のテスト用ファイルです。",
        "[Version]",
        'Signature = "$Windows NT$"',
        "LanguageID = 411",
        "",
        "[SetupData]",
        "ProductType = 0",
        "MajorVersion = 5",
        "MinorVersion = " + info["minor"],
        "DefaultPath = " + info["windir"],
        "LoadIdentifier = %loadid%",
        "",
    ]
    names = info["names_section"]
    lines.append("[" + names + "]")
    if target == "x64":
        lines.append("1 = %cdname%,%cdtagfilea%,,\\amd64")
        lines.append("2 = %cdname%,%cdtagfilea%,,\\amd64\\lang")
        lines.append("")
        lines.append("[SourceDisksNames.x86]")
        lines.append(WOW64_DISK + " = %cdname%,%cdtagfilea%,,\\i386")
    elif target == "2000":
        lines.append('1 = "' + info["cd_name"] + '","\\' + info["tags"][1] + '",,\\i386')
        lines.append('2 = "' + info["cd_name"] + '","\\' + info["tags"][1] + '",,\\i386\\lang')
    else:
        lines.append("1 = %cdname%,%cdtagfilei%,,\\i386")
        lines.append("2 = %cdname%,%cdtagfilei%,,\\i386\\lang")
    lines.append("")
    lines.append("[WinntDirectories]")
    lines += ["%-2s = %s" % (key, value) for key, value in WINNT_DIRECTORIES]
    lines.append("")
    lines.append("[SourceDisksFiles]")
    lines.append("ntdetect.com = 1,,,,,,_x,2,1,,,1,1")
    lines.append("setupldr.bin = 1,,,,,,_x,,3,3")
    for service, _, _ in KNOWN_MINIPORTS:
        lines.append("%s.sys = 1,,,,,,4_,4,1,,,1,4" % service)
    if retail:
        lines += ["%s = 1,,,,,,4_,4,1,,,1,4" % name for name in RETAIL_FILES]
    x86_only = []
    amd64_only = []
    setup = setup_folder(target)
    for index, relative in enumerate(filler):
        folder, name = relative.rsplit("/", 1)
        if target == "x64" and folder in ("I386", "I386/SYSTEM32") and "." in name:
            # A WOW64 file of I386: named on disk 55, with a "w" prefix on
            # the installed system.
            subfolder = "" if folder == "I386" else "system32"
            x86_only.append("%s = %s,%s,,,,,,2,0,0,w%s" % (name.lower(), WOW64_DISK, subfolder,
                                                          name.lower()))
            continue
        if folder not in (setup, setup + "/SYSTEM32") or "." not in name:
            continue
        plain = name.lower()
        if plain.endswith("_"):
            plain = plain[:-1] + {".sy_": "s", ".dl_": "l", ".ex_": "e", ".cp_": "l",
                                  ".hl_": "p"}[plain[-4:]]
        subfolder = "" if folder == setup else "system32"
        number = {"s": "4", "l": "2", "e": "2", "p": "7"}.get(plain[-1], "2")
        line = "%s = 1,%s,,,,,,%s,0,0" % (plain, subfolder, number)
        if target == "x64" and index % 9 == 2:
            amd64_only.append(line)
        elif index % 9 == 4:
            x86_only.append(line)
        else:
            lines.append(line)
    lines.append("")
    if target == "x64":
        lines.append("[SourceDisksFiles.amd64]")
        lines += amd64_only
        lines.append("")
    lines.append("[SourceDisksFiles.x86]")
    lines += x86_only
    lines.append("")
    lines.append("[HardwareIdsDatabase]")
    for service, ids, _ in KNOWN_MINIPORTS:
        lines += ['%s = "%s"' % (hwid, service) for hwid in ids]
    if retail:
        lines += ['%s = "%s"' % (hwid, service) for hwid, service in RETAIL_HARDWARE_IDS]
    lines.append("")
    if not retail:
        lines.append("[BootBusExtenders.Load]")
        lines.append("pci = pci.sys")
        lines.append("acpi = acpi.sys")
        lines.append("")
    lines.append("[SCSI.Load]")
    lines += ["%s = %s.sys,4" % (service, service) for service, _, _ in KNOWN_MINIPORTS]
    lines.append("")
    lines.append("[SCSI]")
    lines += ['%s = "%s"' % (service, desc) for service, _, desc in KNOWN_MINIPORTS]
    lines.append("")
    if retail:
        for section, loads in RETAIL_LOADS:
            lines.append("[" + section + "]")
            lines += ["%s = %s" % (component, file) for component, file in loads]
            lines.append("")
        for section, entries in (("Mouse", RETAIL_MOUSE), ("Keyboard", RETAIL_KEYBOARD)):
            lines.append("[" + section + "]")
            lines += ['%s = "%s",%s,%s' % entry if entry[3] else '%s = "%s",%s,""' % entry[:3]
                      for entry in entries]
            lines.append("")
    else:
        lines.append("[Keyboard.Load]")
        lines.append("kbd106 = kbd106.dll")
        lines.append("")
    lines.append("[Strings]")
    lines.append('cdname = "%s"' % info["cd_name"])
    tag_key = "cdtagfilea" if target == "x64" else "cdtagfilei"
    lines.append('%s = "\\%s"' % (tag_key, info["tags"][1].lower()))
    lines.append('loadid = "Windows セットアップ"')
    lines.append('displaydesc = "標準 VGA 表示アダプタ"')
    return crlf_lines(lines) + b"\x1a"


def dosnet_inf(target, filler):
    info = TARGETS[target]
    lines = [
        "[Version]",
        'Signature = "$Windows NT$"',
        "BuildNumber = " + info["build"],
        "",
        "[Miscellaneous]",
        "ProductType = 0",
        "MinimumMemory = 67108864",
        "",
        "[Directories]",
        # Quoted: an unquoted backslash at the end of a line continues it.
        'd1 = "\\"',
        "d2 = \\LANG",
        "d3 = \\SYSTEM32",
        "",
        "[Files]",
        "d1,TXTSETUP.SIF",
        "d1,SETUPLDR.BIN",
        "d1,NTDETECT.COM",
        "d1,MSHDC.IN_",
        "d1,SVCPACK.IN_",
    ]
    for relative in filler:
        folder, name = relative.rsplit("/", 1)
        setup = setup_folder(target)
        directory = {setup: "d1", setup + "/LANG": "d2", setup + "/SYSTEM32": "d3"}.get(folder)
        if directory:
            lines.append(directory + "," + name)
    lines += ["", "[FloppyFiles.0]", "d1,DISK101,DISK101", "d1,SETUPLDR.BIN"]
    if target != "2000":
        # XP and Server 2003 list optional source folders; the driver build
        # adds svcpack in a second section of the same name.
        lines += ["", "[OptionalSrcDirs]", "lang"]
    return crlf_lines(lines)


def svcpack_inf(target):
    info = TARGETS[target]
    lines = [
        "[Version]",
        'Signature="$Windows NT$"',
        "MajorVersion=5",
        "MinorVersion=" + info["minor"],
        "BuildNumber=" + info["build"],
        "",
        "[SetupData]",
        'CatalogSubDir="\\%s\\svcpack"' % setup_folder(target).lower(),
        "",
    ]
    if target == "2000":
        # Only hotfixes to run: still a usable file for the catalog patch.
        lines += ["[SetupHotfixesToRun]", "Q000001.EXE /Q /N /Z"]
    else:
        lines += ["[ProductCatalogsToInstall]", "KB000001.CAT", "",
                  "[SetupHotfixesToRun]"]
    return crlf_lines(lines)


def svcpack_extras(target):
    if target == "2000":
        return ["I386/SVCPACK/Q000001.EXE"]
    return [setup_folder(target) + "/SVCPACK/KB000001.CAT"]


def mshdc_inf(target):
    info = TARGETS[target]
    lines = [
        "; MSHDC.INF: hard disk controllers (synthetic test tree)",
        "[Version]",
        'Signature="$Windows NT$"',
        "Class=hdc",
        "ClassGUID={4D36E96A-E325-11CE-BFC1-08002BE10318}",
        "Provider=%Provider%",
        "DriverVer=07/01/2001,5.%s.%s.0" % (info["minor"], info["build"]),
        "",
        "[DestinationDirs]",
        "DefaultDestDir = 12",
        "",
        "[Manufacturer]",
        "%GenericMfg%=GenericMfg",
        "",
        "[GenericMfg]",
        "%PciIde.DeviceDesc%=pciide_Inst,PCI\\CC_0101",
        "%Primary.DeviceDesc%=atapi_Inst,Primary_IDE_Channel",
        "%Secondary.DeviceDesc%=atapi_Inst,Secondary_IDE_Channel",
        "",
        "[pciide_Inst]",
        "CopyFiles=@pciide.sys",
        "",
        "[pciide_Inst.Services]",
        "AddService=pciide,2,pciide_Service_Inst",
        "",
        "[pciide_Service_Inst]",
        "ServiceType=%SERVICE_KERNEL_DRIVER%",
        "StartType=%SERVICE_BOOT_START%",
        "ErrorControl=%SERVICE_ERROR_NORMAL%",
        "ServiceBinary=%12%\\pciide.sys",
        "LoadOrderGroup=System Bus Extender",
        "",
        "[atapi_Inst]",
        "CopyFiles=@atapi.sys",
        "",
        "[atapi_Inst.Services]",
        "AddService=atapi,2,atapi_Service_Inst",
        "",
        "[atapi_Service_Inst]",
        "ServiceType=%SERVICE_KERNEL_DRIVER%",
        "StartType=%SERVICE_BOOT_START%",
        "ErrorControl=%SERVICE_ERROR_CRITICAL%",
        "ServiceBinary=%12%\\atapi.sys",
        "LoadOrderGroup=SCSI miniport",
        "AddReg=atapi_parameters_AddReg",
        "",
        "[atapi_parameters_AddReg]",
        "HKR,Parameters,SampleTimeout,%REG_DWORD%,10",
        "HKR,Parameters,EnableBigLba,%REG_DWORD%,0",
        "",
        "[Strings]",
        'Provider="Sample Provider"',
        'GenericMfg="(標準 IDE ATA/ATAPI コントローラ)"',
        'PciIde.DeviceDesc="標準デュアル チャネル PCI IDE コントローラ"',
        'Primary.DeviceDesc="プライマリ IDE チャネル"',
        'Secondary.DeviceDesc="セカンダリ IDE チャネル"',
        "SERVICE_KERNEL_DRIVER=1",
        "SERVICE_BOOT_START=0",
        "SERVICE_ERROR_NORMAL=1",
        "SERVICE_ERROR_CRITICAL=3",
        "REG_DWORD=0x00010001",
    ]
    return crlf_lines(lines)


def hivesys_inf(target):
    """HIVESYS.INF of a retail CD: the values text-mode setup's system hive
    starts with, as UTF-16LE text with its byte-order mark, CR LF lines."""
    info = TARGETS[target]
    lines = [
        "; HIVESYS.INF: the system hive of text-mode setup (synthetic test tree)",
        "[Version]",
        'Signature = "$Windows NT$"',
        "DriverVer=07/01/2001,5.%s.%s.0" % (info["minor"], info["build"]),
        "",
        "[AddReg]",
        'HKLM,"SYSTEM\\CurrentControlSet\\Control","WaitToKillServiceTimeout",0x00000000,"20000"',
        'HKLM,"SYSTEM\\CurrentControlSet\\Control\\Session Manager","ProtectionMode",'
        "0x00010001,1",
        'HKLM,"SYSTEM\\CurrentControlSet\\Services\\i8042prt\\Parameters",'
        '"OverrideKeyboardType",0x00010001,7',
        'HKLM,"SYSTEM\\CurrentControlSet\\Services\\i8042prt\\Parameters",'
        '"LayerDriver JPN",0x00000000,"kbd106.dll"',
        'HKLM,"SYSTEM\\CurrentControlSet\\Control\\Nls\\Language","Default",0x00000000,'
        '"0411"',
        "",
        "[Strings]",
        'keyboard = "%s"' % RETAIL_KEYBOARD[0][1],
    ]
    text = "".join(line + "\r\n" for line in lines)
    return b"\xff\xfe" + text.encode("utf-16-le")


def check_output_folder(root):
    """The output must be a new or empty folder, so that nothing of an older
    tree is mixed in and a failure can clear the folder without loss."""
    if os.path.exists(root) and (not os.path.isdir(root) or os.listdir(root)):
        raise GeneratorError("output folder is not empty: " + root)


def clear_output_folder(root, existed):
    """Removes what a failed run wrote, leaving the folder as it was found."""
    if not os.path.isdir(root):
        return
    if existed:
        for name in os.listdir(root):
            path = os.path.join(root, name)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            else:
                os.remove(path)
    else:
        shutil.rmtree(root)


def make_tree(root, target, lower, size, seed, cab_names, read_only, retail=False):
    info = TARGETS[target]
    tree = Tree(root, lower)
    filler = filler_names()
    setup = setup_folder(target)
    if target == "x64":
        filler = x64_filler(filler)
    find_gcab()
    os.makedirs(root, exist_ok=True)

    def inner(name):
        return {"match": tree.host_name(name), "upper": name.upper(),
                "lower": name.lower()}[cab_names]

    with tempfile.TemporaryDirectory(prefix="make_tree.") as work:
        tree.write(setup + "/TXTSETUP.SIF", txtsetup_sif(target, filler, retail))
        tree.write(setup + "/DOSNET.INF", dosnet_inf(target, filler))
        tree.write(setup + "/SVCPACK.IN_",
                   cabinet(svcpack_inf(target), inner("SVCPACK.INF"), work))
        tree.write(setup + "/MSHDC.IN_", cabinet(mshdc_inf(target), inner("MSHDC.INF"), work))
    tree.write("BOOTSECT.BIN", boot_sector())
    for tag in info["tags"]:
        tree.write(tag, b"\r\n")
    tree.write("AUTORUN.INF", crlf_lines(["[AutoRun]", "open=SETUP.EXE", "icon=SETUP.EXE,0"]))
    licence = crlf_lines(["このツリーは試験用に生成されたもので、Windows の一部ではありません。",
                          "This tree was generated for testing; it holds no part of Windows."])
    tree.write("README.TXT", licence)
    tree.write(setup + "/EULA.TXT", licence)  # the same bytes twice, as CDs often have

    binaries = [("SETUP.EXE", 6144), (setup + "/SETUPLDR.BIN", 8192),
                (setup + "/NTDETECT.COM", 4096), (setup + "/NTLDR", 8192),
                (setup + "/BOOTFONT.BIN", 4096)]
    binaries += [(relative, 512) for relative in svcpack_extras(target)]
    for relative, size_of in binaries:
        rng = random.Random("%d:%s" % (seed, relative))
        tree.write(relative, b"MZ" + rng.randbytes(size_of - 2))

    # The CD's own storage drivers that [SCSI.Load] names, compressed as a
    # CD holds them; the filler takes what is left of the size.
    with tempfile.TemporaryDirectory(prefix="make_tree.") as work:
        for service, _, _ in KNOWN_MINIPORTS:
            rng = random.Random("%d:driver:%s" % (seed, service))
            tree.write(setup + "/" + service.upper() + ".SY_",
                       cabinet(b"MZ" + rng.randbytes(510), service + ".sys", work))
    if retail:
        for name in RETAIL_FILES:
            rng = random.Random("%d:driver:%s" % (seed, name))
            tree.write(setup + "/" + name.upper(), b"MZ" + rng.randbytes(254))
        tree.write(setup + "/HIVESYS.INF", hivesys_inf(target))

    budget = max(0, size - tree.written)
    rng = random.Random("%d:sizes:%s" % (seed, target))
    weights = [rng.random() ** 3 + 0.02 for _ in filler]
    total_weight = sum(weights)
    for relative, weight in zip(filler, weights):
        length = max(64, int(budget * weight / total_weight))
        content = random.Random("%d:%s" % (seed, relative))
        if relative.endswith((".TXT", ".HTM", ".NLS")):
            tree.write(relative, text_bytes(content, length))
        else:
            tree.write_stream(relative, length, content)

    finish(root, read_only)


def driver_inf():
    lines = [
        "; OrScsi.inf: sample SCSI miniport driver for text-mode setup tests",
        "[Version]",
        'Signature="$Windows NT$"',
        "Class=SCSIAdapter",
        "ClassGUID={4D36E97B-E325-11CE-BFC1-08002BE10318}",
        "Provider=%OrProvider%",
        "CatalogFile=OrScsi.cat",
        "DriverVer=03/15/2005,1.2.0.7",
        "",
        "[SourceDisksNames]",
        "1 = %OrDisk%,,,\\x86",
        "",
        "[SourceDisksFiles]",
        "OrScsi.sys = 1",
        "",
        "[DestinationDirs]",
        "DefaultDestDir = 12",
        "",
        "[ControlFlags]",
        "ExcludeFromSelect = *",
        "",
        "[Manufacturer]",
        "%OrMfg% = OrSample, NTx86, NTx86.5.1, NTamd64",
        "",
        "; Windows 2000 reads the undecorated models section.",
        "[OrSample]",
        "%OrScsi.DeviceDesc% = OrScsi_Inst, PCI\\VEN_1B2C&DEV_0301",
        "",
        "[OrSample.NTx86]",
        "%OrScsi.DeviceDesc% = OrScsi_Inst, PCI\\VEN_1B2C&DEV_0301",
        "",
        "[OrSample.NTx86.5.1]",
        "%OrScsi.DeviceDesc% = OrScsi_Inst, PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C,"
        " PCI\\VEN_1B2C&DEV_0301",
        "%OrScsi.DeviceDesc% = OrScsi_Inst, PCI\\VEN_1B2C&DEV_0302",
        "",
        "[OrSample.NTamd64]",
        "%OrScsi64.DeviceDesc% = OrScsi64_Inst, PCI\\VEN_1B2C&DEV_0301",
        "",
        "[OrScsi_Inst]",
        "CopyFiles = OrScsi_Files",
        "",
        "[OrScsi_Inst.Services]",
        "AddService = OrScsi, 0x00000002, OrScsi_Service, OrScsi_EventLog",
        "",
        "[OrScsi_Service]",
        "DisplayName    = %OrScsi.DeviceDesc%",
        "ServiceType    = 1",
        "StartType      = 0",
        "ErrorControl   = 1",
        "ServiceBinary  = %12%\\OrScsi.sys",
        'LoadOrderGroup = "SCSI Miniport"',
        "AddReg         = OrScsi_Parameters",
        "",
        "[OrScsi_EventLog]",
        "AddReg = OrScsi_EventLog_AddReg",
        "",
        "[OrScsi_EventLog_AddReg]",
        'HKR,,EventMessageFile,%REG_EXPAND_SZ%,"%%SystemRoot%%\\System32\\IoLogMsg.dll"',
        "HKR,,TypesSupported,%REG_DWORD%,7",
        "",
        "[OrScsi_Parameters]",
        "HKR,Parameters\\PnpInterface,5,%REG_DWORD%,1",
        "",
        "[OrScsi_Files]",
        "OrScsi.sys",
        "",
        "[OrScsi64_Inst]",
        "AddReg = OrScsi_Parameters",
        "",
        "[Strings]",
        'OrProvider = "Ornibe Sample Drivers"',
        'OrMfg = "Ornibe Sample"',
        'OrDisk = "Ornibe Sample Driver Disk"',
        'OrScsi.DeviceDesc = "Ornibe Sample SCSI Controller"',
        'OrScsi64.DeviceDesc = "Ornibe Sample SCSI Controller (x64)"',
        "REG_EXPAND_SZ = 0x00020000",
        "REG_DWORD = 0x00010001",
    ]
    return crlf_lines(lines)


def make_driver(root, seed, read_only):
    """The sample driver: the INF names its files in mixed case, the medium
    holds them under upper-case names, the driver binary in a subfolder."""
    os.makedirs(os.path.join(root, "X86"), exist_ok=True)
    rng = random.Random("%d:driver" % seed)
    files = {
        "OrScsi.inf": driver_inf(),
        "ORSCSI.CAT": b"\x30\x82\x04\x00" + rng.randbytes(1020),
        "X86/ORSCSI.SYS": b"MZ" + rng.randbytes(8190),
    }
    for relative, data in files.items():
        with open(os.path.join(root, relative), "wb") as out:
            out.write(data)
    finish(root, read_only)


def finish(root, read_only):
    """Fixed time stamps everywhere; with read_only, no write bits, as on a CD."""
    for folder, subfolders, files in os.walk(root, topdown=False):
        for name in files:
            path = os.path.join(folder, name)
            os.utime(path, (FIXED_TIME, FIXED_TIME))
            if read_only:
                os.chmod(path, 0o444)
        os.utime(folder, (FIXED_TIME, FIXED_TIME))
        if read_only:
            os.chmod(folder, 0o555)


def main(argv):
    parser = argparse.ArgumentParser(
        description="Make a synthetic Windows installation tree and/or a sample driver.")
    parser.add_argument("--tree", metavar="DIR", help="write an installation tree into DIR")
    parser.add_argument("--driver", metavar="DIR", help="write the sample driver into DIR")
    parser.add_argument("--target", choices=sorted(TARGETS), default="xp",
                        help="Windows version the tree belongs to (default xp)")
    parser.add_argument("--case", choices=["upper", "lower"], default="upper",
                        help="file names as on the CD (upper) or lower-cased (default upper)")
    parser.add_argument("--size", type=parse_size, default=parse_size("300K"),
                        help="approximate size of the tree, e.g. 300K or 500M (default 300K)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the file contents (default 1)")
    parser.add_argument("--cab-names", choices=["match", "upper", "lower"], default="match",
                        help="case of the name stored inside SVCPACK.IN_ and MSHDC.IN_: "
                             "as the cabinet's own name (default), or upper or lower case")
    parser.add_argument("--retail-shape", action="store_true",
                        help="write TXTSETUP.SIF as a retail CD has it (every .Load section, "
                             "[Mouse] and [Keyboard], a service named with its .sys suffix, an "
                             "ID given twice) with its other drivers, and a plain UTF-16LE "
                             "HIVESYS.INF")
    parser.add_argument("--read-only", action="store_true",
                        help="clear the write bits of every file and folder, as on a CD")
    args = parser.parse_args(argv)
    if not args.tree and not args.driver:
        parser.error("give --tree DIR, --driver DIR or both")
    if args.tree and args.driver and os.path.abspath(args.tree) == os.path.abspath(args.driver):
        parser.error("--tree and --driver need two different folders")
    outputs = [folder for folder in (args.tree, args.driver) if folder]
    existed = {}
    try:
        for folder in outputs:
            check_output_folder(folder)
            existed[folder] = os.path.isdir(folder)
        if args.tree:
            make_tree(args.tree, args.target, args.case == "lower", args.size, args.seed,
                      args.cab_names, args.read_only, args.retail_shape)
        if args.driver:
            make_driver(args.driver, args.seed, args.read_only)
    except (GeneratorError, OSError) as error:
        print("make_tree: %s" % error, file=sys.stderr)
        for folder, was_there in existed.items():
            clear_output_folder(folder, was_there)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
