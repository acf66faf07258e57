' nvkMain as a script client sees it: the command line parser and a round trip through the
' event logger into the outside logger's file.
Dim m, p, n, logger, fso, logPath, token, found, line

Set m = CreateObject("Kelmor0200.nvkMain")

' The parser of this process: its program name is the script host.
Set p = m.CommandLine
CheckTrue "CommandLine.Item(-1) names the script host", InStr(1, p.Item(-1), "cscript", vbTextCompare) > 0
CheckTrue "the same parser on every call", p Is m.CommandLine

p.SetNewCommandLine "prog  ""a b""  c", False
CheckEqual "Count", 2, p.Count
CheckEqual "Item(-1)", "prog", p.Item(-1)
CheckEqual "Item(0)", "a b", p(0)
CheckEqual "Item(1)", "c", p.Item(1)
p.SetNewCommandLine "x y"
CheckEqual "Count with the program name added", 2, p.Count
CheckEqual "Item(0) with the program name added", "x", p.Item(0)

On Error Resume Next
n = p.Item(-2)
CheckEqual "Item(-2)", 9, TakeError()
n = p.Item(2)
CheckEqual "Item beyond the last argument", 9, TakeError()
n = m.InitEventLoggerNonVB("Overflow", 40000, 0, 0)
CheckEqual "InitEventLoggerNonVB with 40000", 6, TakeError()
On Error GoTo 0

' Logger round trip.
CheckEqual "nothing attached: LogMode", 0, m.Logger.LogMode
CheckTrue "InitEventLoggerNonVB", m.InitEventLoggerNonVB("Script client", 1, 2, 3)
CheckEqual "LastEventLoggerError", "", m.LastEventLoggerError
Set logger = m.Logger
CheckEqual "LogMode: the user's folder", 1, logger.LogMode
token = "script-" & CStr(Timer) & "-" & CStr(Int(Rnd() * 1000000))
logger.ReportEvent "round trip " & token, 2, "Script Check", 4711

Set fso = CreateObject("Scripting.FileSystemObject")
logPath = UserLogPath()
CheckTrue "log file " & logPath, fso.FileExists(logPath)
found = ""
If fso.FileExists(logPath) Then
    For Each line In ReadLines(logPath)
        If InStr(line, token) > 0 Then found = line
    Next
End If
CheckTrue "the report is in the log", found <> ""
If found <> "" Then
    Dim fields
    fields = Split(found, vbTab)
    CheckEqual "fields", 11, UBound(fields) + 1
    CheckEqual "category", "Script Check", fields(2)
    CheckEqual "event id", "4711", fields(3)
    CheckEqual "source", "Script client", fields(4)
    CheckEqual "version", "1.2.3", fields(5)
    CheckEqual "message", "round trip " & token, fields(10)
End If

CheckTrue "DisposeEventLogger returns nothing", IsEmpty(m.DisposeEventLogger())
CheckEqual "detached: LogMode", 0, logger.LogMode
