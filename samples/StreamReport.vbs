' StreamReport.vbs - every alternate data stream under a folder, as a table or a CSV file.
'
'   cscript //nologo StreamReport.vbs FOLDER [/mask:*.*] [/all] [/csv:FILE]
'
' FOLDER       the folder to walk: it, its files and all its subfolders (reparse points such as
'              junctions and folder links are listed but not followed)
' /mask:MASK   only names that match MASK, at every level (so a subfolder whose name does not
'              match is not entered either); default *.*
' /all         every stream the reader reports (the unnamed data, security data, ...), with its
'              kind as Tessel shows it; default: named data streams only
' /csv:FILE    the rows as CSV (UTF-8 with a byte-order mark) into FILE instead of the console
'
' Exit code: 0 when everything was read, 2 when some files or folders could not be read (they
' are listed at the end), 1 for a bad command line or a missing folder.
'
' It uses two classes of Kelmor0200: nvkFoundedFiles walks the tree, nvkFileStreams lists the
' streams of each file and folder. Progress goes to the error output, rewritten in place.
Option Explicit

Const kUsage = "Usage: cscript //nologo StreamReport.vbs FOLDER [/mask:*.*] [/all] [/csv:FILE]"
Const kAttributeDirectory = 16
Const kProgressSeconds = 0.3

' Kind names in the order Tessel asks a stream's kind properties.
Dim gKindNames: gKindNames = Array("INVALID", "DATA", "EA_DATA", "SECURITY_DATA", "ALTERNATE_DATA", _
    "LINK", "PROPERTY_DATA", "OBJECT_ID", "REPARSE_DATA", "SPARSE_BLOCK")
Dim gDisplayNames: gDisplayNames = Array("{Invalid}", "{Data}", "{EA Data}", "{Security Data}", _
    "{Alternate Data}", "{Link}", "{Property Data}", "{Object ID}", "{Reparse Data}", "{Sparse Block}")

Dim gFolder, gMask, gAll, gCsvPath
Dim gFso, gReader, gCsv, gCsvPart
Dim gFolders, gFiles, gStreams, gFailures, gFailureCount
Dim gLastProgress, gProgressWidth, gProgressOn

Main

Sub Main()
    Set gFso = CreateObject("Scripting.FileSystemObject")
    If LCase(gFso.GetFileName(WScript.FullName)) <> "cscript.exe" Then
        WScript.Echo "Run with cscript: " & kUsage
        WScript.Quit 1
    End If
    ReadArguments
    Dim started: started = Timer

    Dim search: Set search = CreateObject("Kelmor0200.nvkFoundedFiles")
    Set gReader = CreateObject("Kelmor0200.nvkFileStreams")
    gFolders = 0: gFiles = 0: gStreams = 0: gFailureCount = 0: gFailures = ""
    gLastProgress = -1: gProgressWidth = 0
    ' A script host without an error output shows no progress.
    On Error Resume Next
    WScript.StdErr.Write ""
    gProgressOn = (Err.Number = 0)
    On Error GoTo 0
    If gCsvPath <> "" Then OpenCsv

    ' The folder itself, then everything under it.
    gFolders = 1
    ReadStreams gFolder, True
    Progress gFolder, True
    ' A folder read only in part still gives the entries read before the break.
    search.RefreshEx gFolder, gMask, False
    FolderFailure gFolder, search
    Walk search

    Progress "", False
    If gCsvPath <> "" Then CloseCsv
    If gFailureCount > 0 Then WScript.Echo "Could not be read:" & vbCrLf & gFailures
    WScript.Echo "Time: " & FormatNumber(Elapsed(started), 2) & " s"
    WScript.Echo "Folders: " & gFolders & ", files: " & gFiles & ", streams: " & gStreams & _
        ", could not be read: " & gFailureCount
    If gFailureCount > 0 Then WScript.Quit 2
    WScript.Quit 0
End Sub

Sub Usage(problem)
    If problem <> "" Then WScript.Echo problem
    WScript.Echo kUsage
    WScript.Quit 1
End Sub

Sub ReadArguments()
    Dim i, a, lower
    gMask = "*.*": gAll = False: gCsvPath = "": gFolder = ""
    For i = 0 To WScript.Arguments.Count - 1
        a = WScript.Arguments(i)
        lower = LCase(a)
        If Left(lower, 6) = "/mask:" And Len(a) > 6 Then
            gMask = Mid(a, 7)
        ElseIf lower = "/all" Then
            gAll = True
        ElseIf Left(lower, 5) = "/csv:" And Len(a) > 5 Then
            gCsvPath = gFso.GetAbsolutePathName(Mid(a, 6))
        ElseIf Left(a, 1) = "/" Then
            Usage "Unknown switch: " & a
        ElseIf gFolder = "" Then
            gFolder = a
        Else
            Usage "Only one folder, please: " & a
        End If
    Next
    If gFolder = "" Then Usage ""
    If Not gFso.FolderExists(gFolder) Then Usage "No such folder: " & gFolder
    gFolder = gFso.GetAbsolutePathName(gFolder)
End Sub

' Depth first, in the order the search found the entries.
Sub Walk(list)
    Dim i, node, path, isFolder
    For i = 0 To list.Count - 1
        Set node = list.Item(i)
        path = JoinPath(node.Path, node.FileName)
        isFolder = (node.FileAttributes And kAttributeDirectory) <> 0
        If isFolder Then gFolders = gFolders + 1 Else gFiles = gFiles + 1
        ReadStreams path, isFolder
        If isFolder Then
            Progress path, False
            Walk node.Childs
            FolderFailure path, node.Childs
        End If
    Next
End Sub

' A folder the search entered but could not list whole (no access, an I/O error, a listing that
' broke off): counted and listed like a file that could not be read. ReadError is 0 for a folder
' listed whole, and for one the search did not enter.
Sub FolderFailure(path, level)
    Dim code: code = level.ReadError
    If code = 0 Then Exit Sub
    gFailureCount = gFailureCount + 1
    gFailures = gFailures & "  " & path & ": the folder could not be read whole (system error " & code & ")" & vbCrLf
End Sub

Function JoinPath(folder, name)
    If Right(folder, 1) = "\" Or Right(folder, 1) = "/" Then JoinPath = folder & name Else JoinPath = folder & "\" & name
End Function

' One row for each stream of `path` that the report lists.
Sub ReadStreams(path, isFolder)
    Dim read, failure, i, n, record, kind
    On Error Resume Next
    read = gReader.ReadFileStreams(path, gAll)
    If Err.Number <> 0 Then failure = Err.Description & " (" & Err.Number & ")"
    On Error GoTo 0
    If failure = "" And Not read Then failure = OpenFailure(path, isFolder)
    If failure <> "" Then
        gFailureCount = gFailureCount + 1
        gFailures = gFailures & "  " & path & ": " & failure & vbCrLf
        Exit Sub
    End If
    n = gReader.Count
    For i = 0 To n - 1
        Set record = gReader.Item(i)
        kind = KindOf(record)
        If gAll Or kind = 4 Then
            If gAll Or record.ShortName <> "" Then
                gStreams = gStreams + 1
                Row path, StreamName(record, kind), record.Size, KindText(record, kind)
            End If
        End If
    Next
End Sub

' Why a file or folder could not be opened for reading, as the system words it.
Function OpenFailure(path, isFolder)
    OpenFailure = "cannot be opened (no access, locked, or a name the ANSI code page cannot hold)"
    If isFolder Then Exit Function
    Dim stream
    On Error Resume Next
    Set stream = gFso.OpenTextFile(path, 1)
    If Err.Number <> 0 Then
        OpenFailure = Err.Description & " (" & Err.Number & ")"
    Else
        stream.Close
    End If
    On Error GoTo 0
End Function

' Position of the first kind property that holds, -1 for a kind none names.
Function KindOf(record)
    Dim id: id = record.StreamID
    If id < 0 Or id > 9 Then KindOf = -1 Else KindOf = id
End Function

Function KindText(record, kind)
    If kind >= 0 Then KindText = gKindNames(kind) Else KindText = "0x" & Right("0000000" & Hex(record.StreamID), 8)
End Function

Function StreamName(record, kind)
    Dim name: name = record.ShortName
    If name = "" Then
        If kind >= 0 Then name = gDisplayNames(kind) Else name = "{Unknown}"
    End If
    StreamName = name
End Function

' ---------------------------------------------------------------- output

Sub Row(path, name, size, kind)
    If gCsvPath <> "" Then
        gCsv.Write CsvField(path) & "," & CsvField(name) & "," & FormatSize(size) & "," & CsvField(kind) & vbCrLf
        Exit Sub
    End If
    If gStreams = 1 Then
        Progress "", False
        WScript.Echo PadLeft("Size", 14) & "  " & PadRight("Kind", 15) & "  " & PadRight("Stream", 24) & "  Path"
    End If
    Progress "", False
    WScript.Echo PadLeft(FormatSize(size), 14) & "  " & PadRight(kind, 15) & "  " & PadRight(name, 24) & "  " & path
End Sub

Function FormatSize(size)
    FormatSize = FormatNumber(size, 0, True, False, False)
End Function

Function PadLeft(text, width)
    If Len(text) >= width Then PadLeft = text Else PadLeft = Space(width - Len(text)) & text
End Function

Function PadRight(text, width)
    If Len(text) >= width Then PadRight = text Else PadRight = text & Space(width - Len(text))
End Function

' A field in double quotes when it holds a comma, a quote or a line break; quotes doubled.
Function CsvField(text)
    If InStr(text, ",") Or InStr(text, """") Or InStr(text, vbCr) Or InStr(text, vbLf) Then
        CsvField = """" & Replace(text, """", """""") & """"
    Else
        CsvField = text
    End If
End Function

' The rows go to a UTF-16 file in the temporary folder while the walk runs (the script host writes
' any text there); at the end that file becomes the UTF-8 one.
Sub OpenCsv()
    gCsvPart = gFso.BuildPath(gFso.GetSpecialFolder(2), gFso.GetTempName)
    Set gCsv = gFso.CreateTextFile(gCsvPart, True, True)
    gCsv.Write "Path,Stream,Size,Kind" & vbCrLf
End Sub

' UTF-16 to UTF-8. The script host reads and writes bytes only through the system's ANSI code
' page, one character per byte where that code page has one byte per character and maps all 256
' values (the usual case); then Chr and Asc carry the bytes. Where it does not (Japanese, Chinese,
' Korean), the CSV file stays UTF-16 with its byte-order mark.
Sub CloseCsv()
    Dim i, c, byteWise, units, out
    gCsv.Close
    byteWise = True
    On Error Resume Next
    For i = 0 To 255
        c = Chr(i)
        If Err.Number <> 0 Then byteWise = False: Exit For
        If Asc(c) <> i Then byteWise = False: Exit For
    Next
    On Error GoTo 0
    If gFso.FileExists(gCsvPath) Then gFso.DeleteFile gCsvPath, True
    If Not byteWise Then
        WScript.Echo "This system's code page cannot carry UTF-8 bytes: " & gCsvPath & " is UTF-16."
        gFso.CopyFile gCsvPart, gCsvPath, True
        gFso.DeleteFile gCsvPart, True
        Exit Sub
    End If
    units = gFso.OpenTextFile(gCsvPart, 1, False, 0).ReadAll
    Set out = gFso.CreateTextFile(gCsvPath, True, False)
    out.Write Chr(239) & Chr(187) & Chr(191)
    Utf16ToUtf8 units, out
    out.Close
    gFso.DeleteFile gCsvPart, True
End Sub

' Writes the UTF-8 form of `units` (UTF-16LE bytes after a byte-order mark, one character per
' byte) to `out`, a line at a time so that no text grows long.
Sub Utf16ToUtf8(units, out)
    Dim i, n, code, low, line
    n = Len(units)
    i = 3
    Do While i + 1 <= n
        code = Asc(Mid(units, i, 1)) + 256 * Asc(Mid(units, i + 1, 1))
        i = i + 2
        If code < 128 Then
            line = line & Chr(code)
            If code = 10 Then out.Write line: line = ""
        ElseIf code < 2048 Then
            line = line & Chr(192 Or (code \ 64)) & Chr(128 Or (code And 63))
        ElseIf code >= 55296 And code <= 57343 Then
            low = 0
            If code <= 56319 And i + 1 <= n Then low = Asc(Mid(units, i, 1)) + 256 * Asc(Mid(units, i + 1, 1))
            If low >= 56320 And low <= 57343 Then
                ' A surrogate pair: one character of four bytes.
                code = 65536 + (code - 55296) * 1024 + (low - 56320)
                i = i + 2
                line = line & Chr(240 Or (code \ 262144)) & Chr(128 Or ((code \ 4096) And 63)) & _
                    Chr(128 Or ((code \ 64) And 63)) & Chr(128 Or (code And 63))
            Else
                ' A surrogate without its partner: the replacement character.
                line = line & Chr(239) & Chr(191) & Chr(189)
            End If
        Else
            line = line & Chr(224 Or (code \ 4096)) & Chr(128 Or ((code \ 64) And 63)) & Chr(128 Or (code And 63))
        End If
    Loop
    out.Write line
End Sub

' The folder being walked and the counts so far, on one line of the error output that is
' rewritten in place, at most a few times a second; "" clears it.
Sub Progress(folder, force)
    Dim moment, line
    If Not gProgressOn Then Exit Sub
    If folder = "" Then
        If gProgressWidth > 0 Then WScript.StdErr.Write Space(gProgressWidth) & vbCr
        gProgressWidth = 0
        Exit Sub
    End If
    moment = Timer
    If Not force And gLastProgress >= 0 And moment >= gLastProgress And moment - gLastProgress < kProgressSeconds Then Exit Sub
    gLastProgress = moment
    line = gFiles & " files, " & gStreams & " streams: " & folder
    If Len(line) > 78 Then line = Left(line, 36) & "..." & Right(line, 39)
    Dim width: width = Len(line)
    ' Blanks over what is left of a longer line before.
    If gProgressWidth > width Then line = line & Space(gProgressWidth - width)
    WScript.StdErr.Write line & vbCr
    gProgressWidth = width
End Sub

' Seconds since `started`, across midnight too.
Function Elapsed(started)
    Dim seconds: seconds = Timer - started
    If seconds < 0 Then seconds = seconds + 86400
    Elapsed = seconds
End Function
