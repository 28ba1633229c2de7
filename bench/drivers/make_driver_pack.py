#!/usr/bin/env python3
"""Writes a mass-storage driver pack for the driver-stage benchmark: COUNT
driver folders, laid out as text-mode driver packages are on a driver
disk: the INF and its catalog in the folder, the driver files in X86/ in
upper case (the INF names them in mixed case).

    make_driver_pack.py PACK [COUNT] [IDS]

Each INF (PACK/DRVnnn/drvnnn.inf) lists IDS hardware IDs (default 30) in
its models, undecorated and for NTx86, and copies three driver files: the
miniport that its service runs, a filter driver and a helper DLL. The
same arguments always give the same pack; the INF paths are printed, one
a line.
"""

import os
import random
import sys

INF = """\
; drv{n:03d}.inf: generated mass-storage driver for the driver-stage benchmark
[Version]
Signature="$Windows NT$"
Class=SCSIAdapter
ClassGUID={{4D36E97B-E325-11CE-BFC1-08002BE10318}}
Provider=%Provider%
CatalogFile=drv{n:03d}.cat
DriverVer=06/21/2006,5.1.{n}.0

[SourceDisksNames]
1 = %Disk%,,,\\x86

[SourceDisksFiles]
Drv{n:03d}.sys = 1
Flt{n:03d}.sys = 1
Hlp{n:03d}.dll = 1

[DestinationDirs]
DefaultDestDir = 12
Helper_Files = 11

[ControlFlags]
ExcludeFromSelect = *

[Manufacturer]
%Mfg% = Models, NTx86

[Models]
{models}
[Models.NTx86]
{models}
[Drv_Inst]
CopyFiles = Driver_Files, Helper_Files

[Drv_Inst.Services]
AddService = drv{n:03d}, 0x00000002, Drv_Service, Drv_EventLog

[Drv_Service]
DisplayName    = %Drv.DeviceDesc%
ServiceType    = 1
StartType      = 0
ErrorControl   = 1
ServiceBinary  = %12%\\Drv{n:03d}.sys
LoadOrderGroup = "SCSI Miniport"
AddReg         = Drv_Parameters

[Drv_EventLog]
AddReg = Drv_EventLog_AddReg

[Drv_EventLog_AddReg]
HKR,,EventMessageFile,%REG_EXPAND_SZ%,"%%SystemRoot%%\\System32\\IoLogMsg.dll"
HKR,,TypesSupported,%REG_DWORD%,7

[Drv_Parameters]
HKR,Parameters\\PnpInterface,5,%REG_DWORD%,1

[Driver_Files]
Drv{n:03d}.sys
Flt{n:03d}.sys

[Helper_Files]
Hlp{n:03d}.dll

[Strings]
Provider = "Ornibe Bench Drivers"
Mfg = "Ornibe Bench {n:03d}"
Disk = "Ornibe Bench Driver Disk {n:03d}"
Drv.DeviceDesc = "Ornibe Bench Storage Controller {n:03d}"
REG_EXPAND_SZ = 0x00020000
REG_DWORD = 0x00010001
"""


def binary(rng, size):
    """Bytes that compress about as a driver does: code-like runs of a
    small alphabet with some random bytes between."""
    words = [rng.randbytes(rng.randrange(2, 9)) for _ in range(64)]
    out = bytearray(b"MZ\x90\x00")
    while len(out) < size:
        if rng.random() < 0.2:
            out += rng.randbytes(8)
        else:
            out += rng.choice(words)
    return bytes(out[:size])


def crlf(text):
    return text.replace("\n", "\r\n").encode("ascii")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    pack = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 150
    ids = int(sys.argv[3]) if len(sys.argv) > 3 else 30
    rng = random.Random(20061)
    for n in range(1, count + 1):
        folder = os.path.join(pack, "DRV%03d" % n)
        os.makedirs(os.path.join(folder, "X86"), exist_ok=True)
        # Vendor 0x1B00 + n, one device ID per model line.
        models = "".join("%%Drv.DeviceDesc%% = Drv_Inst, PCI\\VEN_%04X&DEV_%04X\n" %
                         (0x1B00 + n, 0x0100 + i) for i in range(ids))
        inf = os.path.join(folder, "drv%03d.inf" % n)
        with open(inf, "wb") as f:
            f.write(crlf(INF.format(n=n, models=models)))
        with open(os.path.join(folder, "DRV%03d.CAT" % n), "wb") as f:
            f.write(b"0\x82" + rng.randbytes(2000))
        for name, size in (("DRV%03d.SYS", 48000), ("FLT%03d.SYS", 16000),
                           ("HLP%03d.DLL", 32000)):
            with open(os.path.join(folder, "X86", name % n), "wb") as f:
                f.write(binary(rng, size + n))
        print(inf)


if __name__ == "__main__":
    main()
