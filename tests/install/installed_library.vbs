' The installed library as a script client meets it, run from a folder of its own (which holds
' tiny.png, a 3 x 2 PNG picture, tiny.tga, a 2 x 2 Targa picture, and data.txt, 5 bytes): classes
' by ProgID, the event logger found through its registration, a file's streams, and pictures
' decoded by the library and by Sarvik.dll from the library's folder. Run by the 64-bit and, on a
' 64-bit system, by the 32-bit script host, each of which finds its own servers through its own
' registry view; KELMOR_EXPECT_ARCH names the host's processor architecture (x86, AMD64).
Dim fso, shell, m, buffer, reader, expectedArch

Set fso = CreateObject("Scripting.FileSystemObject")
Set shell = CreateObject("WScript.Shell")
expectedArch = shell.Environment("PROCESS")("KELMOR_EXPECT_ARCH")
CheckTrue "KELMOR_EXPECT_ARCH names the host's architecture", expectedArch = "x86" Or expectedArch = "AMD64"
CheckEqual "the script host's architecture", expectedArch, shell.Environment("PROCESS")("PROCESSOR_ARCHITECTURE")

Set m = CreateObject("Kelmor0200.nvkMain")
Set buffer = CreateObject("Kelmor0200.StringBuffA")
buffer.StringValue = "abc"
CheckEqual "a StringBuffA's text", "abc", buffer.StringValue

CheckTrue "InitEventLoggerNonVB finds the logger", m.InitEventLoggerNonVB("Install check", 1, 0, 0)
CheckEqual "LastEventLoggerError", "", m.LastEventLoggerError

Set reader = CreateObject("Kelmor0200.nvkFileStreams")
CheckEqual "ReadFileStreams", True, reader.ReadFileStreams(fso.GetAbsolutePathName("data.txt"))
CheckEqual "the file's streams", 1, reader.Count
CheckEqual "its data stream", "::$DATA", reader(0).Name
CheckEqual "its size", 5, reader(0).Size

' A picture of the folder: its kind and size, and a bitmap made of it.
Sub CheckPicture(file, kind, width, height)
    Dim info, pic
    Set info = CreateObject("Kelmor0200.PictureInfo")
    Set pic = m.LoadPictureEx(fso.GetAbsolutePathName(file), info)
    CheckEqual file & ": kind", kind, info.GetPictureTypeName
    CheckEqual file & ": width", width, info.Width
    CheckEqual file & ": height", height, info.Height
    CheckTrue file & ": a bitmap handle", pic.Handle <> 0
End Sub
CheckPicture "tiny.png", "Portable network graphics", 3, 2
CheckPicture "tiny.tga", "Targa", 2, 2
