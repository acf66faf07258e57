' BenchMark.vbs [COUNT]
'
' Times a block of script with nvkBenchMarkHP, the stopwatch on the system's performance
' counter: FirstMark before the block (it also sounds the default system beep), LaskMark after
' it (spelled with k), then the time in milliseconds and the stopwatch's own display text, which
' divides the time by the number of repetitions. The block here joins COUNT short texts
' (default 20000).
'
'   cscript //nologo BenchMark.vbs 100000
'
' Exit code: 0; 1 for a wrong command line.
Option Explicit

Dim count, watch, text, i

count = 20000
If WScript.Arguments.Count > 0 Then
    If Not IsNumeric(WScript.Arguments(0)) Then
        WScript.Echo "Usage: cscript //nologo BenchMark.vbs [COUNT]"
        WScript.Quit 1
    End If
    count = CLng(WScript.Arguments(0))
End If

Set watch = CreateObject("Kelmor0200.nvkBenchMarkHP")
watch.FirstMark
text = ""
For i = 1 To count
    text = text & "x"
Next
watch.LaskMark

WScript.Echo "Repetitions: " & count & ", length: " & Len(text)
WScript.Echo "Time: " & FormatNumber(watch.GetTickDifferenceMS, 3) & " ms"
WScript.Echo "Counter: " & FormatNumber(watch.GetTickFrequencyPerSec, 0) & " ticks per second"
WScript.Echo "Per repetition: " & watch.toString(count)
