' StreamReport.vbs - every alternate data stream under a folder, as a table or a CSV file.
'
'   cscript //nologo StreamReport.vbs FOLDER [/mask:*.*] [/all] [/zone] [/csv:FILE]
'
' FOLDER       the folder to walk: it, its files and all its subfolders (reparse points such as
'              junctions and folder links are listed but not followed)
' /mask:MASK   only names that match MASK, at every level (so a subfolder whose name does not
'              match is not entered either); default *.*
' /all         every stream the reader reports (the unnamed data, security data, ...), with its
'              kind as Tessel shows it; default: named data streams only
' /zone        where each file came from: the Mark of the Web, the Zone.Identifier stream that
'              browsers, mail programs and archivers write on what they download, read and shown
'              as zone (number and name), HostUrl and ReferrerUrl; alone, only the marks are
'              listed (with /all, every stream, the marks with their zone); counts per zone at
'              the end. A mark that is empty, too large, not a zone text or unreadable is reported
'              as such.
' /csv:FILE    the rows as CSV (UTF-8 with a byte-order mark) into FILE instead of the console;
'              with /zone four more fields: Zone, Zone name, HostUrl, ReferrerUrl
'
' The last line counts folders, files, the streams listed, what could not be read, the files and
' folders that have alternate data streams and the bytes those streams hold.
'
' Exit code: 0 when everything was read, 2 when some files or folders could not be read (they
' are listed at the end), 1 for a bad command line or a missing folder.
'
' It uses two classes of Kelmor0200: nvkFoundedFiles walks the tree, nvkFileStreams lists the
' streams of each file and folder. Progress goes to the error output, rewritten in place.
Option Explicit

Const kUsage = "Usage: cscript //nologo StreamReport.vbs FOLDER [/mask:*.*] [/all] [/zone] [/csv:FILE]"
Const kZoneStream = "Zone.Identifier"
Const kMarkLimit = 65536
Const kAttributeDirectory = 16
Const kProgressSeconds = 0.3

' Kind names in the order Tessel asks a stream's kind properties.
Dim gKindNames: gKindNames = Array("INVALID", "DATA", "EA_DATA", "SECURITY_DATA", "ALTERNATE_DATA", _
    "LINK", "PROPERTY_DATA", "OBJECT_ID", "REPARSE_DATA", "SPARSE_BLOCK")
Dim gDisplayNames: gDisplayNames = Array("{Invalid}", "{Data}", "{EA Data}", "{Security Data}", _
    "{Alternate Data}", "{Link}", "{Property Data}", "{Object ID}", "{Reparse Data}", "{Sparse Block}")

' Zone names by number; other numbers are shown as they are.
Dim gZoneNames: gZoneNames = Array("Local computer", "Local intranet", "Trusted sites", "Internet", _
    "Restricted sites")

Dim gFolder, gMask, gAll, gZone, gCsvPath
Dim gFso, gReader, gCsv, gCsvPart
Dim gFolders, gFiles, gStreams, gFailures, gFailureCount
Dim gWithAlternate, gAlternateBytes, gMarks, gZoneCounts
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
    gWithAlternate = 0: gAlternateBytes = 0: gMarks = 0
    Set gZoneCounts = CreateObject("Scripting.Dictionary")
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
    If gZone Then WScript.Echo ZoneSummary()
    WScript.Echo "Time: " & FormatNumber(Elapsed(started), 2) & " s"
    WScript.Echo "Folders: " & gFolders & ", files: " & gFiles & ", streams: " & gStreams & _
        ", could not be read: " & gFailureCount & ", with alternate streams: " & gWithAlternate & _
        " (" & FormatSize(gAlternateBytes) & " bytes)"
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
    gMask = "*.*": gAll = False: gZone = False: gCsvPath = "": gFolder = ""
    For i = 0 To WScript.Arguments.Count - 1
        a = WScript.Arguments(i)
        lower = LCase(a)
        If Left(lower, 6) = "/mask:" And Len(a) > 6 Then
            gMask = Mid(a, 7)
        ElseIf lower = "/all" Then
            gAll = True
        ElseIf lower = "/zone" Then
            gZone = True
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
    Dim alternate, isMark
    alternate = False
    n = gReader.Count
    For i = 0 To n - 1
        Set record = gReader.Item(i)
        kind = KindOf(record)
        isMark = kind = 4 And LCase(record.ShortName) = LCase(kZoneStream)
        If kind = 4 And record.ShortName <> "" Then
            alternate = True
            gAlternateBytes = gAlternateBytes + record.Size
        End If
        If gAll Or (kind = 4 And record.ShortName <> "" And (isMark Or Not gZone)) Then
            gStreams = gStreams + 1
            If gZone And isMark Then
                Row path, StreamName(record, kind), record.Size, KindText(record, kind), ReadMark(path, record.Size)
            Else
                Row path, StreamName(record, kind), record.Size, KindText(record, kind), Empty
            End If
        End If
    Next
    If alternate Then gWithAlternate = gWithAlternate + 1
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

' ---------------------------------------------------------------- the Mark of the Web

' The mark of `path` read from its Zone.Identifier stream (the way any program reads a stream on
' NTFS: the file's path, a colon, the stream's name): Array(zone, zone name, HostUrl, ReferrerUrl,
' problem). Zone is "" and problem says why when the stream holds no usable mark.
Function ReadMark(path, size)
    Dim stream, text, problem
    gMarks = gMarks + 1
    text = ""
    If size = 0 Then
        problem = "empty"
    ElseIf size > kMarkLimit Then
        problem = "too large for a mark (" & FormatSize(size) & " bytes)"
    Else
        On Error Resume Next
        Set stream = gFso.OpenTextFile(path & ":" & kZoneStream, 1)
        If Err.Number = 0 Then
            If Not stream.AtEndOfStream Then text = stream.Read(kMarkLimit)
            stream.Close
        End If
        If Err.Number <> 0 Then problem = "cannot be read: " & Err.Description & " (" & Err.Number & ")"
        On Error GoTo 0
    End If
    Dim mark
    If problem = "" Then mark = ParseMark(text) Else mark = Array("", "", "", "", problem)
    CountZone mark
    ReadMark = mark
End Function

' The mark's fields from its INI text: a [ZoneTransfer] section with a whole-number ZoneId.
Function ParseMark(text)
    Dim lines, line, i, eq, key, value, inSection, seen, zone, host, referrer
    seen = False: inSection = False: zone = "": host = "": referrer = ""
    lines = Split(Replace(text, vbCrLf, vbLf), vbLf)
    For i = 0 To UBound(lines)
        line = Trim(Replace(lines(i), vbCr, ""))
        If Left(line, 1) = "[" Then
            inSection = LCase(line) = "[zonetransfer]"
            If inSection Then seen = True
        ElseIf inSection Then
            eq = InStr(line, "=")
            If eq > 1 Then
                key = LCase(Trim(Left(line, eq - 1)))
                value = Trim(Mid(line, eq + 1))
                If key = "zoneid" Then zone = value
                If key = "hosturl" Then host = value
                If key = "referrerurl" Then referrer = value
            End If
        End If
    Next
    If Not seen Then
        ParseMark = Array("", "", host, referrer, "not a zone mark (no [ZoneTransfer] section)")
    ElseIf Not IsWholeNumber(zone) Then
        ParseMark = Array("", "", host, referrer, "not a zone mark (ZoneId " & Quoted(zone) & ")")
    Else
        ParseMark = Array(CStr(CLng(zone)), ZoneName(CLng(zone)), host, referrer, "")
    End If
End Function

Function IsWholeNumber(text)
    Dim i
    IsWholeNumber = Len(text) > 0 And Len(text) <= 9
    For i = 1 To Len(text)
        If InStr("0123456789", Mid(text, i, 1)) = 0 Then IsWholeNumber = False
    Next
End Function

Function Quoted(text)
    Quoted = "missing"
    If text <> "" Then Quoted = Chr(34) & text & Chr(34)
End Function

Function ZoneName(zone)
    If zone >= 0 And zone <= UBound(gZoneNames) Then ZoneName = gZoneNames(zone) Else ZoneName = "zone " & zone
End Function

Sub CountZone(mark)
    Dim key
    If mark(4) <> "" Then key = "no usable mark" Else key = mark(0) & " " & mark(1)
    gZoneCounts(key) = gZoneCounts(key) + 1
End Sub

' "Marked: N; by zone: 3 Internet: a, 4 Restricted sites: b, no usable mark: c", zones in order.
Function ZoneSummary()
    Dim keys, i, j, swap, parts, unusable
    keys = gZoneCounts.Keys
    For i = 0 To UBound(keys)
        For j = i + 1 To UBound(keys)
            If ZoneOrder(keys(j)) < ZoneOrder(keys(i)) Then
                swap = keys(i)
                keys(i) = keys(j)
                keys(j) = swap
            End If
        Next
    Next
    parts = ""
    For i = 0 To UBound(keys)
        If parts <> "" Then parts = parts & ", "
        parts = parts & keys(i) & ": " & gZoneCounts(keys(i))
    Next
    If parts = "" Then parts = "none"
    ZoneSummary = "Marked: " & gMarks & "; by zone: " & parts
End Function

' Sorts zones by number, the unusable marks last.
Function ZoneOrder(key)
    Dim words: words = Split(key, " ")
    ZoneOrder = 2147483647
    If IsWholeNumber(words(0)) Then ZoneOrder = CLng(words(0))
End Function

' ---------------------------------------------------------------- output

' `mark` is Empty for a row without one, else what ReadMark gives.
Sub Row(path, name, size, kind, mark)
    If gCsvPath <> "" Then
        Dim fields: fields = CsvField(path) & "," & CsvField(name) & "," & FormatSize(size) & "," & CsvField(kind)
        If gZone Then
            If IsEmpty(mark) Then
                fields = fields & ",,,,"
            ElseIf mark(4) <> "" Then
                fields = fields & ",," & CsvField(mark(4)) & "," & CsvField(mark(2)) & "," & CsvField(mark(3))
            Else
                fields = fields & "," & mark(0) & "," & CsvField(mark(1)) & "," & CsvField(mark(2)) & "," & CsvField(mark(3))
            End If
        End If
        gCsv.Write fields & vbCrLf
        Exit Sub
    End If
    If gStreams = 1 Then
        Progress "", False
        WScript.Echo PadLeft("Size", 14) & "  " & PadRight("Kind", 15) & "  " & PadRight("Stream", 24) & "  Path"
    End If
    Progress "", False
    WScript.Echo PadLeft(FormatSize(size), 14) & "  " & PadRight(kind, 15) & "  " & PadRight(name, 24) & "  " & path
    If IsEmpty(mark) Then Exit Sub
    If mark(4) <> "" Then
        WScript.Echo Space(16) & "Zone: " & mark(4)
    Else
        WScript.Echo Space(16) & "Zone: " & mark(0) & " (" & mark(1) & ")"
    End If
    If mark(2) <> "" Then WScript.Echo Space(16) & "HostUrl: " & mark(2)
    If mark(3) <> "" Then WScript.Echo Space(16) & "ReferrerUrl: " & mark(3)
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
    If gZone Then
        gCsv.Write "Path,Stream,Size,Kind,Zone,Zone name,HostUrl,ReferrerUrl" & vbCrLf
    Else
        gCsv.Write "Path,Stream,Size,Kind" & vbCrLf
    End If
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
