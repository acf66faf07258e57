' Creation of the library's classes by ProgID, as a late-binding client does it.
Dim creatable, handedOut, progId, obj, n

creatable = Array("nvkMain", "nvkAlone", "StringBuffA", "nvkBenchMark", "nvkSimpleListDialog", _
    "nvkRegistry", "nvkNevkitSettings", "PictureInfo", "nvkBenchMarkHP", _
    "nvkTextBoxDefButtonWatcher", "nvkTabControl", "nvkFoundedFiles", "IFindFilesCallback", _
    "nvkFileStreams")
handedOut = Array("CommandLineParser", "FoundedFile", "FileStream")

On Error Resume Next
For Each progId In creatable
    Set obj = Nothing
    Set obj = CreateObject("Kelmor0200." & progId)
    n = TakeError()
    CheckEqual "CreateObject Kelmor0200." & progId & " error", 0, n
    CheckTrue "CreateObject Kelmor0200." & progId & " gives an object", IsObject(obj) And Not (obj Is Nothing)
Next

' Parsers, found files and stream records come from other objects only: ActiveX component
' can't create object.
For Each progId In handedOut
    Set obj = Nothing
    Set obj = CreateObject("Kelmor0200." & progId)
    CheckEqual "CreateObject Kelmor0200." & progId & " refused", 429, TakeError()
    CheckTrue "no object for Kelmor0200." & progId, obj Is Nothing
Next

Set obj = CreateObject("Kelmor0200.NoSuchClass")
CheckEqual "unknown ProgID", 429, TakeError()
On Error GoTo 0
