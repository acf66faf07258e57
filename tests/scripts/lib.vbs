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

Sub Summary()
    WScript.Echo gPassed & " passed, " & gFailed & " failed"
    If gFailed > 0 Then WScript.Quit 1
End Sub
