' The tab control and the list dialog as a late-binding script client uses them: pages and an
' array-like object made of script classes, errors by number, the list dialog's properties.
Dim gLog, gShown
gLog = ""
gShown = ""

Sub Note(entry)
    If gLog <> "" Then gLog = gLog & " "
    gLog = gLog & entry
End Sub

' A page: Visible and ZOrder, each call noted as V<n> / H<n> / Z<n>.
Class Page
    Public Number
    Private mVisible
    Public Property Get Visible()
        Visible = mVisible
    End Property
    Public Property Let Visible(value)
        mVisible = value
        If value Then Note "V" & Number Else Note "H" & Number
    End Property
    Public Sub ZOrder()
        Note "Z" & Number
    End Sub
End Class

' Something with Visible but without ZOrder.
Class NotAPage
    Public Visible
End Class

' An array-like object, as a control array is: LBound, UBound and the default member.
Class PageArray
    Private mPages
    Private mLower
    Private mCount
    Public Sub Init(lower, count)
        Dim i
        mLower = lower
        If count > 0 Then
            ReDim mPages(count - 1)
            For i = 0 To count - 1
                Set mPages(i) = NewPage(lower + i)
            Next
        End If
        mCount = count
    End Sub
    Public Property Get LBound()
        LBound = mLower
    End Property
    Public Property Get UBound()
        UBound = mLower + mCount - 1
    End Property
    Public Default Function Item(index)
        Set Item = mPages(index - mLower)
    End Function
End Class

Function NewPage(n)
    Set NewPage = New Page
    NewPage.Number = n
End Function

' TabShown, when the host can connect script procedures to an object's events.
Sub tabs_TabShown(CurrTab)
    gShown = gShown & CurrTab
End Sub

Dim tabs, pages, bad, events
Set tabs = CreateObject("Kelmor0200.nvkTabControl")

On Error Resume Next
WScript.ConnectObject tabs, "tabs_"
events = (Err.Number = 0)
Err.Clear
On Error GoTo 0
If Not events Then WScript.Echo "note: this script host cannot connect events; TabShown is checked by win.dialogs_test"

tabs.AddTab NewPage(1)
CheckEqual "AddTab shows the new page", "Z1 V1 Z1 V1", gLog
tabs.AddTab NewPage(2)
tabs.AddTab NewPage(3), True
gLog = ""
tabs.PopNextTab
CheckEqual "next after the last wraps to the first", "Z1 Z2 Z3 V1 V2 V3 Z1 V1", gLog
gLog = ""
tabs.PopPrevTab True, True
CheckEqual "previous from the first wraps to the last, the others hidden", "H1 H2 H3 Z3 V3", gLog
gLog = ""
tabs.PopTab
CheckEqual "PopTab without an index shows the current page", "Z1 Z2 Z3 V1 V2 V3 Z3 V3", gLog
If events Then CheckEqual "TabShown for every page shown", "123133", gShown

On Error Resume Next
gLog = ""
tabs.PopTab 0
CheckEqual "PopTab 0", 5, TakeError()
tabs.PopTab 4
CheckEqual "PopTab 4", 5, TakeError()
CheckEqual "no page touched by a refused index", "", gLog
tabs.AddTab Nothing
CheckEqual "AddTab Nothing", 380, TakeError()
Set bad = New NotAPage
tabs.AddTab bad
CheckEqual "a page without ZOrder", 438, TakeError()
tabs.ClearTabs
tabs.ArrangeTabs
CheckEqual "ArrangeTabs after ClearTabs", 5, TakeError()
tabs.PopNextTab
CheckEqual "PopNextTab with no pages", 5, TakeError()
On Error GoTo 0

' FillTabs with an array-like object of indices 3..5: pages in index order, the last shown.
Set pages = New PageArray
pages.Init 3, 3
gLog = ""
tabs.FillTabs pages, True
CheckEqual "FillTabs shows the last element", "Z3 Z4 Z5 H3 H4 H5 Z5 V5", gLog
gLog = ""
tabs.PopNextTab True
CheckEqual "the first element is page 1", "V3 V4 V5 Z3 V3", gLog
pages.Init 0, 0
On Error Resume Next
tabs.FillTabs pages
CheckEqual "FillTabs with no elements", 5, TakeError()
tabs.PopTab 1
CheckEqual "the pages were cleared first", 5, TakeError()
On Error GoTo 0

' The list dialog's properties (Show is driven by win.list_dialog_gui_test).
Dim dialog, f
Set dialog = CreateObject("Kelmor0200.nvkSimpleListDialog")
CheckEqual "Elements starts empty", 0, dialog.Elements.Count
dialog.Elements.Add "Moscow" & vbTab & "capital"
dialog.Elements.Add "line"
CheckEqual "Elements is the same collection every time", 2, dialog.Elements.Count
Set dialog.Elements = Nothing
CheckTrue "Elements is never Nothing", Not (dialog.Elements Is Nothing)
CheckEqual "Nothing gives an empty collection", 0, dialog.Elements.Count
CheckEqual "ShowCountInCaption starts on", True, dialog.ShowCountInCaption
' A Russian caption ("Spisok"), written as code page 1251 characters: the script file is plain
' ASCII and the tests run with that code page.
Dim russian
russian = Chr(&HD1) & Chr(&HEF) & Chr(&HE8) & Chr(&HF1) & Chr(&HEE) & Chr(&HEA)
dialog.Caption = russian
CheckEqual "Caption", russian, dialog.Caption
Set f = dialog.Font
CheckEqual "font name", "Tahoma", f.Name
CheckEqual "font size", 9, f.Size
CheckEqual "font weight (set last)", 100, f.Weight
CheckEqual "font character set", 204, f.Charset
CheckEqual "font not bold", False, f.Bold
f.Size = 12
CheckEqual "Font is the same object, not a copy", 12, dialog.Font.Size
