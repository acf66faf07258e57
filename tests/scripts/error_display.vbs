' The error display as a script client calls it: silent calls return OK, write nothing on the
' screen and report to the outside logger's file; a missing error object is refused.
Dim m, r, fso, logPath, token, fields, i

Set m = CreateObject("Kelmor0200.nvkMain")
CheckTrue "InitEventLoggerNonVB", m.InitEventLoggerNonVB("Error display script", 3, 1, 4)

Randomize
token = "edscript-" & Hex(Int(Rnd() * &H7FFFFFFF)) & "-" & Hex(Int(Timer * 100))
r = m.ErrorDisplayAPI(5, 16, "", token & "-api", True)
CheckEqual "ErrorDisplayAPI silent returns OK", 1, r
m.ErrorDisplayAPI 5, 16, "", token & "-statement", True
r = m.ErrorDisplayWinMM(2, 16, "Title", token & "-winmm", True)
CheckEqual "ErrorDisplayWinMM silent returns OK", 1, r

On Error Resume Next
r = m.ErrorDisplay(Nothing, 16, "", token & "-nothing", True)
CheckEqual "ErrorDisplay without an error object", 91, TakeError()
On Error GoTo 0

Set fso = CreateObject("Scripting.FileSystemObject")
logPath = UserLogPath()
CheckTrue "log file " & logPath, fso.FileExists(logPath)

' The report line of this run, by the text the caller put in front.
Function LineOf(suffix)
    Dim l
    LineOf = ""
    If Not fso.FileExists(logPath) Then Exit Function
    For Each l In ReadLines(logPath)
        If InStr(l, vbTab & token & suffix & "\r\n") > 0 Then LineOf = l
    Next
End Function

Sub CheckReport(suffix, category, id, details)
    Dim l, f
    l = LineOf(suffix)
    CheckTrue "report " & suffix & " in the log", l <> ""
    If l = "" Then Exit Sub
    f = Split(l, vbTab)
    CheckEqual suffix & ": fields", 11, UBound(f) + 1
    If UBound(f) <> 10 Then Exit Sub
    CheckEqual suffix & ": event type", "2", f(1)
    CheckEqual suffix & ": category", category, f(2)
    CheckEqual suffix & ": event id", CStr(id), f(3)
    CheckEqual suffix & ": source", "Error display script", f(4)
    CheckEqual suffix & ": version", "3.1.4", f(5)
    ' The caller's text, an empty line, the label and number; the system's text follows.
    Dim expected
    expected = token & suffix & "\r\n\r\n" & details
    CheckEqual suffix & ": message", expected, Left(f(10), Len(expected))
End Sub

CheckReport "-api", "Win32 API Error", 5, "Win32 API error: 5 (0x00000005)\r\nDescription: "
CheckReport "-statement", "Win32 API Error", 5, "Win32 API error: 5 (0x00000005)\r\nDescription: "
CheckReport "-winmm", "WinMM.DLL Error", 2, "WinMM.DLL error: 2 (0x00000002)\r\nDescription: "
CheckEqual "no report of the refused call", "", LineOf("-nothing")

m.DisposeEventLogger
