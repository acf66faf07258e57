' The installed library as a script client meets it, run from a folder of its own (which holds
' tiny.png, a 3 x 2 PNG picture): classes by ProgID, the event logger found through its
' registration, and PNG pictures decoded by Sarvik.dll from the library's folder.
Dim fso, m, info, pic, buffer

Set fso = CreateObject("Scripting.FileSystemObject")
Set m = CreateObject("Kelmor0200.nvkMain")
Set buffer = CreateObject("Kelmor0200.StringBuffA")
buffer.StringValue = "abc"
CheckEqual "a StringBuffA's text", "abc", buffer.StringValue

CheckTrue "InitEventLoggerNonVB finds the logger", m.InitEventLoggerNonVB("Install check", 1, 0, 0)
CheckEqual "LastEventLoggerError", "", m.LastEventLoggerError

Set info = CreateObject("Kelmor0200.PictureInfo")
Set pic = m.LoadPictureEx(fso.GetAbsolutePathName("tiny.png"), info)
CheckEqual "picture kind", "Portable network graphics", info.GetPictureTypeName
CheckEqual "Width", 3, info.Width
CheckEqual "Height", 2, info.Height
CheckTrue "a bitmap handle", pic.Handle <> 0
