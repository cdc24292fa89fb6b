(*

  This unit uses Word2000.pas unit which
  wraps the functionality of Word 2000
  in a Delphi class.
  To use a wrapper unit of your own instead (e.g.
  if you want to support a different version of Word),
  make sure you replace Word2000 in the
  uses clause below with the name of your unit.

  This COM library implements Word COM Add-In.
  Like any other COM library, this library must be
  registred using either "Run | Register ActiveX Server"
  in Delphi IDE or with regsvr32.exe command line tool.

  When debugging this Add-In, make sure that
  "Run | Parameters... | Host Application"
  in the Delphi IDE is set to the full path of the
  Office application this Add-In is designed for,
  e.g.
  
  for an Word Add-In.

*)

unit Unit1;

interface

uses
  Windows, Classes, ComObj, ActiveX, SysUtils,
  OfficeAddins, Word2000;

const

  Class_AddInGUID: TGUID = '{GUID}';

type

  TWordAddin1 = class(TComObject, IDispatch, IDTExtensibility2)
  protected
    FApplication: TWordApplication;
  protected
    //IDispatch
    function GetTypeInfoCount(out Count: Integer): HResult; stdcall;
    function GetTypeInfo(Index, LocaleID: Integer; out TypeInfo): HResult; stdcall;
    function GetIDsOfNames(const IID: TGUID; Names: Pointer;
      NameCount, LocaleID: Integer; DispIDs: Pointer): HResult; stdcall;
    function Invoke(DispID: Integer; const IID: TGUID; LocaleID: Integer;
      Flags: Word; var Params; VarResult, ExcepInfo, ArgErr: Pointer): HResult; stdcall;
    //IDTExtensibility2
    procedure OnConnection(const Application: IDispatch; ConnectMode: ext_ConnectMode;
                           const AddInInst: IDispatch; var custom: PSafeArray); safecall;
    procedure OnDisconnection(RemoveMode: ext_DisconnectMode; var custom: PSafeArray); safecall;
    procedure OnAddInsUpdate(var custom: PSafeArray); safecall;
    procedure OnStartupComplete(var custom: PSafeArray); safecall;
    procedure OnBeginShutdown(var custom: PSafeArray); safecall;
  end;

implementation

uses ComServ;

function TWordAddin1.GetTypeInfoCount(out Count: Integer): HResult; stdcall;
begin
  Result := S_OK;
  Count  := 0;
end;

function TWordAddin1.GetTypeInfo(Index, LocaleID: Integer; out TypeInfo): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

function TWordAddin1.GetIDsOfNames(const IID: TGUID; Names: Pointer;
  NameCount, LocaleID: Integer; DispIDs: Pointer): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

function TWordAddin1.Invoke(DispID: Integer; const IID: TGUID; LocaleID: Integer;
  Flags: Word; var Params; VarResult, ExcepInfo, ArgErr: Pointer): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

procedure TWordAddin1.OnConnection(const Application: IDispatch; ConnectMode: ext_ConnectMode;
                       const AddInInst: IDispatch; var custom: PSafeArray); safecall;
begin
  FApplication:=TWordApplication.Create(nil);
  FApplication.ConnectTo(Application as _Application);
  //todo: set FApplication.OnXXX event properties to your event handlers
end;

procedure TWordAddin1.OnDisconnection(RemoveMode: ext_DisconnectMode; var custom: PSafeArray); safecall;
begin
  //you must dereference all external objects here,
  //otherwise Office app won't be able to shut down properly
  FreeAndNil(FApplication);
end;


procedure TWordAddin1.OnAddInsUpdate(var custom: PSafeArray); safecall;
begin
end;

procedure TWordAddin1.OnStartupComplete(var custom: PSafeArray); safecall;
begin
end;

procedure TWordAddin1.OnBeginShutdown(var custom: PSafeArray); safecall;
begin
end;

initialization
  TOfficeAddinFactory.Create(ComServer,
                             TWordAddin1,
                             Class_AddInGUID,
                             'New Word Add-In',
                             'WordAddin1',
                             'Microsoft Word 2000 COM Add-In',
                             AddinLoadConnected or AddinLoadBootLoad,
                             oaWord,
                             HKEY_CURRENT_USER);
end.
