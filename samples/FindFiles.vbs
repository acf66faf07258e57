' FindFiles.vbs FOLDER [MASK]
'
' Finds the files under FOLDER whose names match MASK (* and ?, default *.*) with nvkFoundedFiles
' and prints each one's size in bytes and path, then the number of files and their total size.
' The mask holds at every level of the search: a subfolder is entered only when its own name
' matches too (with the default mask every folder is entered). Links to folders are listed but
' not followed, so the search cannot run in circles.
'
'   cscript //nologo FindFiles.vbs "C:\Users\olga\Documents" *.txt
'
' Exit code: 0; 1 for a wrong command line or a folder that does not exist.
Option Explicit

Dim args, folder, mask, search, files, bytes

Set args = WScript.Arguments
If args.Count < 1 Or args.Count > 2 Then
    WScript.Echo "Usage: cscript //nologo FindFiles.vbs FOLDER [MASK]"
    WScript.Quit 1
End If
folder = args(0)
mask = "*.*"
If args.Count = 2 Then mask = args(1)
If Not CreateObject("Scripting.FileSystemObject").FolderExists(folder) Then
    WScript.Echo "No such folder: " & folder
    WScript.Quit 1
End If

Set search = CreateObject("Kelmor0200.nvkFoundedFiles")
files = 0
bytes = 0
' RefreshEx(Path, Mask, FollowReparsePoints): False answers "nothing found".
If search.RefreshEx(folder, mask, False) Then Walk search

WScript.Echo "Files: " & files & ", bytes: " & bytes

' One level of the search: its files, then the levels below its folders.
Sub Walk(level)
    Dim entry
    For Each entry In level
        If entry.AttributeDirectory Then
            Walk entry.Childs
        Else
            ' Path is the folder the entry was found in.
            WScript.Echo Right(Space(12) & entry.FileSize, 12) & "  " & entry.Path & "\" & entry.FileName
            files = files + 1
            bytes = bytes + entry.FileSize
        End If
    Next
End Sub
