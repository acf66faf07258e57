' Holds the installed library loaded: creates a class, writes the file KELMOR_HELD_FILE, then
' waits until the file KELMOR_RELEASE_FILE exists (at most two minutes). An uninstaller run
' meanwhile must find the library in use.
Dim fso, env, m, started
Set fso = CreateObject("Scripting.FileSystemObject")
Set env = CreateObject("WScript.Shell").Environment("PROCESS")
Set m = CreateObject("Kelmor0200.nvkMain")
fso.CreateTextFile(env("KELMOR_HELD_FILE"), True).Close
started = Timer
Do While Not fso.FileExists(env("KELMOR_RELEASE_FILE")) And Abs(Timer - started) < 120
Loop
