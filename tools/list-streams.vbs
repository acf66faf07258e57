' list-streams.vbs PATH — lists the streams of PATH through Kelmor0200.nvkFileStreams, one line
' per record: kind, name, size in bytes, attributes. Exits 1 when PATH cannot be read.
Option Explicit
Dim path, reader, record, ok

If WScript.Arguments.Count < 1 Then
    WScript.Echo "usage: cscript list-streams.vbs PATH"
    WScript.Quit 2
End If
path = WScript.Arguments(0)

On Error Resume Next
Set reader = CreateObject("Kelmor0200.nvkFileStreams")
If Err.Number <> 0 Then
    WScript.Echo "cannot create Kelmor0200.nvkFileStreams: " & Err.Description & " (0x" & Hex(Err.Number) & ")"
    WScript.Quit 1
End If
ok = reader.ReadFileStreams(path, True)
If Err.Number <> 0 Then
    WScript.Echo "cannot read the streams of " & path & ": " & Err.Description & " (0x" & Hex(Err.Number) & ")"
    WScript.Quit 1
End If
On Error GoTo 0

If Not ok Then
    WScript.Echo "cannot read the streams of " & path & ": the path does not exist, cannot be opened for reading or is locked by another program"
    WScript.Quit 1
End If

WScript.Echo "Streams of " & path & ": " & reader.Count
WScript.Echo "Kind" & vbTab & "Name" & vbTab & "Size" & vbTab & "Attributes"
For Each record In reader
    WScript.Echo KindText(record) & vbTab & record.Name & vbTab & SizeText(record.Size) & vbTab & Hex8(record.Attributes)
Next

' The kind as the stream lister names it: the first kind property that is true.
Function KindText(r)
    If r.StreamIDInvalid Then
        KindText = "INVALID"
    ElseIf r.StreamIDData Then
        KindText = "DATA"
    ElseIf r.StreamIDEAData Then
        KindText = "EA_DATA"
    ElseIf r.StreamIDSecurityData Then
        KindText = "SECURITY_DATA"
    ElseIf r.StreamIDAlternateData Then
        KindText = "ALTERNATE_DATA"
    ElseIf r.StreamIDLink Then
        KindText = "LINK"
    ElseIf r.StreamIDPropertyData Then
        KindText = "PROPERTY_DATA"
    ElseIf r.StreamIDObjectID Then
        KindText = "OBJECT_ID"
    ElseIf r.StreamIDReparseData Then
        KindText = "REPARSE_DATA"
    ElseIf r.StreamIDSparseBlock Then
        KindText = "SPARSE_BLOCK"
    Else
        KindText = Hex8(r.StreamID)
    End If
End Function

' A 32-bit value as 0x and eight hexadecimal digits.
Function Hex8(n)
    Hex8 = "0x" & Right("0000000" & Hex(n), 8)
End Function

' A byte count as plain digits, also beyond the range where a number prints in E notation.
Function SizeText(n)
    SizeText = FormatNumber(n, 0, -1, 0, 0)
End Function
