' The walk of StreamReport.vbs without reading any stream: the yardstick of its speed test.
'   cscript //nologo stream_report_walk.vbs FOLDER
Option Explicit
Dim gFolders, gFiles
gFolders = 1: gFiles = 0
Dim search: Set search = CreateObject("Kelmor0200.nvkFoundedFiles")
If search.RefreshEx(WScript.Arguments(0), "*.*", False) Then Walk search
WScript.Echo "Folders: " & gFolders & ", files: " & gFiles
WScript.Quit 0

Sub Walk(list)
    Dim i, node, path, isFolder
    For i = 0 To list.Count - 1
        Set node = list.Item(i)
        path = JoinPath(node.Path, node.FileName)
        isFolder = (node.FileAttributes And 16) <> 0
        If isFolder Then gFolders = gFolders + 1 Else gFiles = gFiles + 1
        If isFolder Then Walk node.Childs
    Next
End Sub

Function JoinPath(folder, name)
    If Right(folder, 1) = "\" Or Right(folder, 1) = "/" Then JoinPath = folder & name Else JoinPath = folder & "\" & name
End Function
