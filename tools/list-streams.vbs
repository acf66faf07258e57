' list-streams.vbs PATH — lists the streams of PATH through Kelmor0200.nvkFileStreams,
' one line per record: kind, name, size, attributes.
Option Explicit
Dim path, reader, record, i
If WScript.Arguments.Count < 1 Then
    WScript.Echo "usage: cscript list-streams.vbs PATH"
    WScript.Quit 2
End If
path = WScript.Arguments(0)

On Error Resume Next
Set reader = CreateObject("Kelmor0200.nvkFileStreams")
If Err.Number <> 0 Then
    WScript.Echo "cannot create Kelmor0200.nvkFileStreams: " & Err.Description & " (" & Hex(Err.Number) & ")"
    WScript.Quit 1
End If
reader.ReadFileStreams path, True
If Err.Number = 445 Or Err.Number = &H80004001 Then
    WScript.Echo "Stream reading is not built yet in this version of Kelmor0200."
    WScript.Quit 3
ElseIf Err.Number <> 0 Then
    WScript.Echo "cannot read the streams of " & path & ": " & Err.Description & " (0x" & Hex(Err.Number) & ")"
    WScript.Quit 1
End If
On Error GoTo 0

WScript.Echo "Streams of " & path & ": " & reader.Count
For i = 0 To reader.Count - 1
    Set record = reader.Item(i)
    WScript.Echo KindOf(record) & vbTab & record.Name & vbTab & record.Size & vbTab & "0x" & Hex(record.Attributes)
Next

Function KindOf(r)
    If r.StreamIDData Then
        KindOf = "DATA"
    ElseIf r.StreamIDAlternateData Then
        KindOf = "ALTERNATE_DATA"
    ElseIf r.StreamIDSecurityData Then
        KindOf = "SECURITY_DATA"
    ElseIf r.StreamIDEAData Then
        KindOf = "EA_DATA"
    ElseIf r.StreamIDObjectID Then
        KindOf = "OBJECT_ID"
    ElseIf r.StreamIDReparseData Then
        KindOf = "REPARSE_DATA"
    ElseIf r.StreamIDLink Then
        KindOf = "LINK"
    ElseIf r.StreamIDPropertyData Then
        KindOf = "PROPERTY_DATA"
    ElseIf r.StreamIDSparseBlock Then
        KindOf = "SPARSE_BLOCK"
    Else
        KindOf = "0x" & Hex(r.StreamID)
    End If
End Function
