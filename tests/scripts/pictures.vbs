' nvkMain.LoadPictureEx as a script client calls it: a bitmap written by the script, reported
' through a PictureInfo; the empty name; a missing file and a file that is no picture.
Dim fso, root, bmpPath, textPath, stream, bytes, content, i, m, info, pic

Set fso = CreateObject("Scripting.FileSystemObject")
Randomize
root = fso.BuildPath(fso.GetSpecialFolder(2), "kelmor-pictures-" & CStr(Int(Rnd * 1000000)))
fso.CreateFolder root

' A 4 x 2 bitmap of 24 bits per pixel. Every byte is below 128, so a text stream writes it
' unchanged whatever the ANSI code page.
bytes = Array(66, 77, 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, _
              40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0, _
              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)
content = ""
For i = 0 To UBound(bytes)
    content = content & Chr(bytes(i))
Next
For i = 1 To 24
    content = content & Chr(i * 5)
Next
bmpPath = fso.BuildPath(root, "four by two.bmp")
Set stream = fso.CreateTextFile(bmpPath, True)
stream.Write content
stream.Close
CheckEqual "bitmap file size", 78, fso.GetFile(bmpPath).Size

textPath = fso.BuildPath(root, "notes.txt")
Set stream = fso.CreateTextFile(textPath, True)
stream.Write "not a picture"
stream.Close

Set m = CreateObject("Kelmor0200.nvkMain")
Set info = CreateObject("Kelmor0200.PictureInfo")
CheckEqual "a new PictureInfo names no type", "Nothing", info.GetPictureTypeName

Set pic = m.LoadPictureEx(bmpPath, info)
CheckEqual "picture type: bitmap", 1, pic.Type
CheckEqual "Width", 4, info.Width
CheckEqual "Height", 2, info.Height
CheckTrue "ImageBPP of the loaded bitmap", info.ImageBPP > 0
CheckEqual "PictureType", 1, info.PictureType
CheckEqual "GetPictureTypeName", "Windows bitmap", info.GetPictureTypeName

Set pic = m.LoadPictureEx()
CheckEqual "no name: a picture of no type", 0, pic.Type
Set pic = m.LoadPictureEx("", info)
CheckEqual "empty name leaves the information", 4, info.Width

On Error Resume Next
Set pic = m.LoadPictureEx(fso.BuildPath(root, "missing.bmp"), info)
CheckEqual "missing file", 53, Err.Number
CheckEqual "missing file: source", "Kelmor0200.nvkMain", Err.Source
Err.Clear
CheckEqual "missing file leaves the information", 4, info.Width
Set pic = m.LoadPictureEx(textPath, info)
CheckEqual "text file", 481, TakeError()
On Error GoTo 0
CheckEqual "a failed load leaves zeros", 0, info.Width
CheckEqual "a failed load leaves no type", "Nothing", info.GetPictureTypeName

Set pic = Nothing
fso.DeleteFolder root, True
