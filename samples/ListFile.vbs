' ListFile.vbs FILE [/oem]
'
' Reads a list file with nvkMain.ReadStandardListFile, the format the Nevkit programs keep their
' lists in: one entry per line, lines starting with ";" are comments, blank lines are skipped
' and every entry is trimmed of leading and trailing blanks. With /oem the file is read as OEM
' (DOS) text and turned into the ANSI code page. Prints the entries numbered, then their count.
'
'   cscript //nologo ListFile.vbs "C:\Program Files\Nevkit\Tessel\list.txt"
'
' Exit code: 0; 1 for a wrong command line or a file that cannot be read.
Option Explicit

Dim args, isOem, main, list, i

Set args = WScript.Arguments
If args.Count < 1 Or args.Count > 2 Then Usage
isOem = False
If args.Count = 2 Then
    If LCase(args(1)) <> "/oem" Then Usage
    isOem = True
End If

Set main = CreateObject("Kelmor0200.nvkMain")
' FileName, CommentChar, IgnoreBlanks, TrimStrings, IsOem, RaiseErrors: with RaiseErrors True a
' missing or locked file raises its error (53, 70, ...) instead of answering Nothing.
On Error Resume Next
Set list = main.ReadStandardListFile(args(0), ";", True, True, isOem, True)
If Err.Number <> 0 Then
    WScript.Echo "Cannot read " & args(0) & ": " & Err.Description & " (" & Err.Number & ")"
    WScript.Quit 1
End If
On Error GoTo 0

' The result is a collection numbered from 1.
For i = 1 To list.Count
    WScript.Echo i & ": " & list(i)
Next
WScript.Echo "Entries: " & list.Count

Sub Usage()
    WScript.Echo "Usage: cscript //nologo ListFile.vbs FILE [/oem]"
    WScript.Quit 1
End Sub
