' PictureInfo.vbs FILE
'
' Loads a picture with nvkMain.LoadPictureEx and prints what the PictureInfo object reports: the
' picture's type (name and code of nvkPictureTypeEx), its width and height in pixels and its
' bits per pixel. The library reads BMP, JPEG, GIF, ICO, CUR, WMF and EMF through the system's
' picture loader and PNG, PSD, PCX and TGA with readers of its own.
'
'   cscript //nologo PictureInfo.vbs "C:\Users\olga\Pictures\cat.jpg"
'
' Exit code: 0; 1 for a wrong command line or a file that cannot be loaded (53: no such file,
' 481: not a picture the library can read).
Option Explicit

Dim main, info, picture

If WScript.Arguments.Count <> 1 Then
    WScript.Echo "Usage: cscript //nologo PictureInfo.vbs FILE"
    WScript.Quit 1
End If

Set main = CreateObject("Kelmor0200.nvkMain")
Set info = CreateObject("Kelmor0200.PictureInfo")
On Error Resume Next
Set picture = main.LoadPictureEx(WScript.Arguments(0), info)
If Err.Number <> 0 Then
    WScript.Echo "Cannot load " & WScript.Arguments(0) & ": " & Err.Description & " (" & Err.Number & ")"
    WScript.Quit 1
End If
On Error GoTo 0

WScript.Echo "Type: " & info.GetPictureTypeName & " (" & info.PictureType & ")"
WScript.Echo "Size: " & info.Width & " x " & info.Height & " pixels, " & info.ImageBPP & " bits per pixel"
