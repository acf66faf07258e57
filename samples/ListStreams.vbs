' ListStreams.vbs FILE [/security]
'
' Lists the streams of one file or folder the way Tessel shows them: one line per stream with
' its size in bytes, its kind and its full name (":name:$DATA" for an alternate data stream,
' "::$DATA" for the file's own data), then the number of streams. With /security the security
' data is listed too. Needs Kelmor0200.dll registered (the installers do that).
'
'   cscript //nologo ListStreams.vbs "C:\Users\olga\Downloads\setup.exe"
'
' Exit code: 0 when the streams were read, 1 for a wrong command line or a file that cannot be
' read. The same in JScript: ListStreams.js.
Option Explicit

Dim args, path, withSecurity, reader, record, i

Set args = WScript.Arguments
If args.Count < 1 Or args.Count > 2 Then Usage
path = args(0)
withSecurity = False
If args.Count = 2 Then
    If LCase(args(1)) <> "/security" Then Usage
    withSecurity = True
End If

Set reader = CreateObject("Kelmor0200.nvkFileStreams")
If Not reader.ReadFileStreams(path, withSecurity) Then
    WScript.Echo "Cannot read the streams of " & path
    WScript.Quit 1
End If

' Records are numbered from 0 (For Each record In reader works as well).
For i = 0 To reader.Count - 1
    Set record = reader.Item(i)
    WScript.Echo Right(Space(12) & record.Size, 12) & "  " & Left(KindName(record) & Space(16), 16) & record.Name
Next
WScript.Echo "Streams: " & reader.Count

' The kind of a stream record as Tessel names it.
Function KindName(record)
    If record.StreamIDData Then
        KindName = "DATA"
    ElseIf record.StreamIDAlternateData Then
        KindName = "ALTERNATE_DATA"
    ElseIf record.StreamIDSecurityData Then
        KindName = "SECURITY_DATA"
    Else
        KindName = "KIND " & record.StreamID
    End If
End Function

Sub Usage()
    WScript.Echo "Usage: cscript //nologo ListStreams.vbs FILE [/security]"
    WScript.Quit 1
End Sub
