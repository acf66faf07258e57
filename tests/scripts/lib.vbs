' Shared checks for the script tests: each check prints what failed; the harness appends a
' call to Summary, whose line is the only proof that the whole script ran.
Option Explicit
Dim gPassed, gFailed
gPassed = 0
gFailed = 0

Sub Pass()
    gPassed = gPassed + 1
End Sub

Sub Fail(what)
    gFailed = gFailed + 1
    WScript.Echo "FAILED: " & what
End Sub

Sub CheckEqual(what, expected, actual)
    If expected = actual Then
        Pass
    Else
        Fail what & ": expected <" & expected & ">, got <" & actual & ">"
    End If
End Sub

Sub CheckTrue(what, value)
    If value Then Pass Else Fail what
End Sub

' Number of the error the last statement raised (after On Error Resume Next), then cleared.
Function TakeError()
    TakeError = Err.Number
    Err.Clear
End Function

' The outside logger's file in the user's own folder.
Function UserLogPath()
    Dim p
    p = CreateObject("WScript.Shell").ExpandEnvironmentStrings("%LOCALAPPDATA%")
    ' Wine's answer keeps the closing NUL of the system call: the text ends before it.
    If InStr(p, Chr(0)) > 0 Then p = Left(p, InStr(p, Chr(0)) - 1)
    UserLogPath = p & "\Nevkit\Derodor\Derodor.log"
End Function

' The lines of a text file. A file that cannot be opened is a failure that names the error: Wine's
' FileSystemObject opens without sharing, so another process holding the file makes it fail.
Function ReadLines(path)
    Dim stream, text
    ReadLines = Array()
    On Error Resume Next
    Set stream = CreateObject("Scripting.FileSystemObject").OpenTextFile(path, 1)
    If Err.Number <> 0 Then
        Fail "reading " & path & ": error " & Err.Number & " (" & Err.Description & ")"
        Err.Clear
        Exit Function
    End If
    On Error GoTo 0
    text = ""
    If Not stream.AtEndOfStream Then text = stream.ReadAll
    stream.Close
    ReadLines = Split(Replace(text, vbCrLf, vbLf), vbLf)
End Function

Sub Summary()
    WScript.Echo gPassed & " passed, " & gFailed & " failed"
    If gFailed > 0 Then WScript.Quit 1
End Sub
