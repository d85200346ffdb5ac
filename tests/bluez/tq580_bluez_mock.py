# -*- coding: utf-8 -*-
'''A BlueZ 5.66 stand-in for testing the program's QtBluetooth backend.

Loaded into python-dbusmock ("python3 -m dbusmock --system -t <this file>")
on a private system bus. It builds on dbusmock's stock "bluez5" template
(adapters, agent manager, discovery methods) and adds what a Tq580 sensor
looks like to QtBluetooth's BlueZ D-Bus backend:

  * Device1 objects with BlueZ's real property types (ManufacturerData
    a{qv}, AdvertisingFlags ay) and no RSSI while the device is only
    remembered, as bluetoothd has it between discoveries;
  * advertisement reports that change the properties the way bluetoothd
    does: ManufacturerData and the name only when they differ, RSSI only when
    it was 0 or moved by 8 dB or more; nothing at all while not discovering;
  * StopDiscovery drops the RSSI of every device (bluetoothd zeroes it at
    the end of a discovery), so the first report of the next discovery is
    always a change;
  * Connect that sets Connected, then exports the UART service with its two
    characteristics and the CCC descriptor and sets ServicesResolved, which
    is what QtBluetooth waits for; Disconnect and a remote drop undo it;
  * GATT writes with bluetoothd's length rules: a write command longer than
    ATT_MTU - 3 fails, a write request of any length is accepted (long
    write); the CCC descriptor cannot be written directly (StartNotify).

Control methods on org.bluez.Mock at "/" (besides the stock AddAdapter ...):
  AddAdapter(adapter, system_name) -> path   (stock, with bluetoothd's StopDiscovery)
  AddSensor(adapter, address, name, paired) -> path
  SetPowered(adapter, powered)
  Advertise(adapter, address, company_id, data, rssi) -> heard
  AdvertiseEvery(adapter, address, company_id, data, rssi, interval_ms)
  SetName(adapter, address, name)
  SetPaired(adapter, address, paired)
  SetLink(adapter, address, att_mtu, connect_mode, uart, write_flags)
      connect_mode "normal" | "hang" (link up, services never resolved)
                   | "refuse" (Connect fails)
  SetReply(adapter, address, data)   notified after every write to RX
  Notify(adapter, address, data)
  DropLink(adapter, address)          the sensor ends the connection
  SetDisconnectDelay(adapter, address, delay_ms)
      a local Disconnect takes this long: the link stays up meanwhile and the
      call is answered when it is down, as bluetoothd does (0: at once)
  HoldDisconnect(adapter, address, held)
      while held, a local Disconnect leaves the link up and goes unanswered;
      it completes when the hold ends
  GetWrites(adapter, address) -> a(ays)   value and type of each RX write
  GetNotifying(adapter, address) -> b
  ClearAll()                          removes every adapter and device
'''

import dbus
from gi.repository import GLib

from dbusmock import OBJECT_MANAGER_IFACE, mockobject
import dbusmock.templates.bluez5 as stock
# The stock template's D-Bus methods, re-exported so that loading this
# template installs them too.
from dbusmock.templates.bluez5 import (  # noqa: F401
    BUS_NAME, MAIN_OBJ, SYSTEM_BUS, IS_OBJECT_MANAGER, BLUEZ_MOCK_IFACE,
    ADAPTER_IFACE, DEVICE_IFACE, RegisterAgent, UnregisterAgent,
    RequestDefaultAgent, RemoveAdapter, RemoveAdapterWithDevices)

SERVICE_IFACE = 'org.bluez.GattService1'
CHARACTERISTIC_IFACE = 'org.bluez.GattCharacteristic1'
DESCRIPTOR_IFACE = 'org.bluez.GattDescriptor1'

UART_SERVICE = '6e400001-b5a3-f393-e0a9-e50e24dcca9e'
UART_RX = '6e400002-b5a3-f393-e0a9-e50e24dcca9e'  # PC to sensor
UART_TX = '6e400003-b5a3-f393-e0a9-e50e24dcca9e'  # sensor to PC
CCC_DESCRIPTOR = '00002902-0000-1000-8000-00805f9b34fb'
BATTERY_SERVICE = '0000180f-0000-1000-8000-00805f9b34fb'

RSSI_THRESHOLD = 8  # bluetoothd reports smaller RSSI moves not at all

# GLib sources of the periodic advertisers, by device path.
_advertisers = {}


def _bytes(data, variant_level=0):
    return dbus.Array([dbus.Byte(b) for b in bytes(data)], signature='y',
                      variant_level=variant_level)


def _boolean(value):
    return dbus.Boolean(value, variant_level=1)


def _bluez_error(name, message):
    return dbus.exceptions.DBusException(message, name='org.bluez.Error.' + name)


def _device_path(adapter, address):
    return f'/org/bluez/{adapter}/dev_' + address.replace(':', '_').upper()


def _device(adapter, address):
    path = _device_path(adapter, address)
    if path not in mockobject.objects:
        raise dbus.exceptions.DBusException(f'No device {address} on {adapter}',
                                            name=BLUEZ_MOCK_IFACE + '.NoSuchDevice')
    return mockobject.objects[path]


def _adapter_of(device):
    return mockobject.objects.get(str(device.props[DEVICE_IFACE]['Adapter']))


def _emit_changes(obj, interface, changed, invalidated=()):
    obj.EmitSignal(dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as',
                   [interface, dbus.Dictionary(changed, signature='sv'),
                    dbus.Array(list(invalidated), signature='s')])


def _change(obj, interface, changed):
    for name, value in changed.items():
        obj.props[interface][name] = value
    _emit_changes(obj, interface, changed)


def _gatt_paths(device_path):
    uart = device_path + '/service0010'
    return {
        'battery': device_path + '/service000c',
        'uart': uart,
        'rx': uart + '/char0011',
        'tx': uart + '/char0013',
        'ccc': uart + '/char0013/desc0015',
    }


def _announce(path, interface, props, methods):
    manager = mockobject.objects['/']
    manager.AddObject(path, interface, props, methods)
    manager.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                       [dbus.ObjectPath(path), {interface: props}])
    return mockobject.objects[path]


def _withdraw(path, interface):
    manager = mockobject.objects['/']
    if path in mockobject.objects:
        manager.RemoveObject(path)
        manager.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesRemoved', 'oas',
                           [dbus.ObjectPath(path), dbus.Array([interface], signature='s')])


# ------------------------------------------------------------------ GATT side

def _read_characteristic(characteristic, _options):
    return characteristic.props[CHARACTERISTIC_IFACE]['Value']


def _write_characteristic(characteristic, value, options):
    device = characteristic.sensor
    if not device.props[DEVICE_IFACE]['Connected']:
        raise _bluez_error('Failed', 'Not connected')
    flags = [str(f) for f in characteristic.props[CHARACTERISTIC_IFACE]['Flags']]
    kind = str(options.get('type', ''))
    payload = bytes(value)
    if kind == 'command' or (not kind and 'write' not in flags):
        # gatt-client.c: a write command must fit one ATT PDU
        if 'write-without-response' not in flags or len(payload) > device.att_mtu - 3:
            raise _bluez_error('Failed', 'Failed to initiate write')
        kind = 'command'
    elif 'write' not in flags:
        raise _bluez_error('NotSupported', 'Operation is not supported')
    else:
        kind = 'request'  # longer than ATT_MTU - 3 becomes a long write
    device.writes.append((payload, kind))
    if device.reply:
        reply = device.reply
        GLib.timeout_add(10, lambda: (_notify_if_on(device, reply), False)[1])


def _notify_if_on(device, data):
    tx = mockobject.objects.get(_gatt_paths(device.path)['tx'])
    if tx is not None and tx.props[CHARACTERISTIC_IFACE]['Notifying']:
        _notify(tx, data)


def _notify(tx, data):
    # bluetoothd sets Value for every notification, even an unchanged one
    _change(tx, CHARACTERISTIC_IFACE, {'Value': _bytes(data, 1)})


def _set_notifying(characteristic, on):
    if bool(characteristic.props[CHARACTERISTIC_IFACE]['Notifying']) == on:
        return
    _change(characteristic, CHARACTERISTIC_IFACE, {'Notifying': _boolean(on)})
    ccc = mockobject.objects.get(characteristic.path + '/desc0015')
    if ccc is not None:
        ccc.props[DESCRIPTOR_IFACE]['Value'] = _bytes(b'\x01\x00' if on else b'\x00\x00', 1)


def _start_notify(characteristic):
    if 'notify' not in [str(f) for f in characteristic.props[CHARACTERISTIC_IFACE]['Flags']]:
        raise _bluez_error('NotSupported', 'Operation is not supported')
    _set_notifying(characteristic, True)


def _stop_notify(characteristic):
    _set_notifying(characteristic, False)


def _read_descriptor(descriptor, _options):
    return descriptor.props[DESCRIPTOR_IFACE]['Value']


def _write_descriptor(descriptor, _value, _options):
    if str(descriptor.props[DESCRIPTOR_IFACE]['UUID']) == CCC_DESCRIPTOR:
        raise _bluez_error('NotPermitted', 'Write not permitted')


def _export_gatt(device):
    paths = _gatt_paths(device.path)
    text = lambda x: dbus.String(x, variant_level=1)  # noqa: E731
    path = lambda x: dbus.ObjectPath(x, variant_level=1)  # noqa: E731
    # A second service in front, so the UART service is not simply the first.
    _announce(paths['battery'], SERVICE_IFACE, {
        'UUID': text(BATTERY_SERVICE), 'Device': path(device.path),
        'Primary': _boolean(True), 'Includes': dbus.Array([], signature='o', variant_level=1),
        'Handle': dbus.UInt16(0x000c, variant_level=1)}, [])
    if not device.uart:
        return
    _announce(paths['uart'], SERVICE_IFACE, {
        'UUID': text(UART_SERVICE), 'Device': path(device.path),
        'Primary': _boolean(True), 'Includes': dbus.Array([], signature='o', variant_level=1),
        'Handle': dbus.UInt16(0x0010, variant_level=1)}, [])
    methods = [
        ('ReadValue', 'a{sv}', 'ay', _read_characteristic),
        ('WriteValue', 'aya{sv}', '', _write_characteristic),
        ('StartNotify', '', '', _start_notify),
        ('StopNotify', '', '', _stop_notify),
    ]
    for key, uuid, flags, handle in (('rx', UART_RX, device.write_flags, 0x0011),
                                     ('tx', UART_TX, ['notify'], 0x0013)):
        characteristic = _announce(paths[key], CHARACTERISTIC_IFACE, {
            'UUID': text(uuid), 'Service': path(paths['uart']),
            'Value': _bytes(b'', 1), 'Notifying': _boolean(False),
            'Flags': dbus.Array(flags, signature='s', variant_level=1),
            'MTU': dbus.UInt16(device.att_mtu, variant_level=1),
            'Handle': dbus.UInt16(handle, variant_level=1)}, methods)
        characteristic.sensor = device
    _announce(paths['ccc'], DESCRIPTOR_IFACE, {
        'UUID': text(CCC_DESCRIPTOR), 'Characteristic': path(paths['tx']),
        'Value': _bytes(b'\x00\x00', 1),
        'Flags': dbus.Array(['read', 'write'], signature='s', variant_level=1),
        'Handle': dbus.UInt16(0x0015, variant_level=1)},
        [('ReadValue', 'a{sv}', 'ay', _read_descriptor),
         ('WriteValue', 'aya{sv}', '', _write_descriptor)])


def _withdraw_gatt(device):
    paths = _gatt_paths(device.path)
    for key, interface in (('ccc', DESCRIPTOR_IFACE), ('tx', CHARACTERISTIC_IFACE),
                           ('rx', CHARACTERISTIC_IFACE), ('uart', SERVICE_IFACE),
                           ('battery', SERVICE_IFACE)):
        _withdraw(paths[key], interface)


# --------------------------------------------------------------- Device1 side

def _connect(device):
    if device.props[DEVICE_IFACE]['Connected']:
        raise _bluez_error('AlreadyConnected', 'Already Connected')
    if device.connect_mode == 'refuse':
        raise _bluez_error('Failed', 'le-connection-abort-by-local')
    _change(device, DEVICE_IFACE, {'Connected': _boolean(True)})
    if device.connect_mode == 'hang':
        return

    def resolve():
        if device.path in mockobject.objects and device.props[DEVICE_IFACE]['Connected']:
            _export_gatt(device)
            _change(device, DEVICE_IFACE, {'ServicesResolved': _boolean(True)})
        return False
    GLib.timeout_add(20, resolve)


def _drop(device):
    if device.props[DEVICE_IFACE]['ServicesResolved']:
        _change(device, DEVICE_IFACE, {'ServicesResolved': _boolean(False)})
    _withdraw_gatt(device)
    _change(device, DEVICE_IFACE, {'Connected': _boolean(False)})


@dbus.service.method(DEVICE_IFACE, in_signature='', out_signature='',
                     async_callbacks=('reply', 'error'))
def _disconnect(device, reply, error):
    if not device.props[DEVICE_IFACE]['Connected']:
        error(_bluez_error('NotConnected', 'Not Connected'))
        return
    device.disconnect_replies.append(reply)
    if len(device.disconnect_replies) > 1 or device.disconnect_held:
        return  # answered with the one under way, or when the hold ends
    if device.disconnect_delay_ms > 0:
        GLib.timeout_add(device.disconnect_delay_ms, lambda: _complete_disconnect(device))
    else:
        _complete_disconnect(device)


def _complete_disconnect(device):
    if device.path in mockobject.objects and device.props[DEVICE_IFACE]['Connected']:
        _drop(device)
    replies, device.disconnect_replies = device.disconnect_replies, []
    for answer in replies:
        answer()
    return False


def _heard(device, changed):
    '''One advertisement report, reduced to what bluetoothd would signal.'''
    adapter = _adapter_of(device)
    if adapter is None or not adapter.props[ADAPTER_IFACE]['Discovering']:
        return False
    props = device.props[DEVICE_IFACE]
    report = {}
    for name in ('ManufacturerData', 'Name'):
        if name in changed and props.get(name) != changed[name]:
            report[name] = changed[name]
            if name == 'Name':
                report['Alias'] = changed[name]
    rssi = int(changed['RSSI'])
    old = int(props.get('RSSI', 0))
    if old == 0 or abs(old - rssi) >= RSSI_THRESHOLD:
        report['RSSI'] = dbus.Int16(rssi, variant_level=1)
    if report:
        _change(device, DEVICE_IFACE, report)
    return True


def _stop_discovery(adapter):
    stock.StopDiscovery(adapter)
    for path, obj in list(mockobject.objects.items()):
        if path.startswith(adapter.path + '/dev_') and DEVICE_IFACE in obj.props \
                and 'RSSI' in obj.props[DEVICE_IFACE]:
            del obj.props[DEVICE_IFACE]['RSSI']
            _emit_changes(obj, DEVICE_IFACE, {}, ['RSSI'])


def _stop_advertiser(path):
    source = _advertisers.pop(path, None)
    if source is not None:
        GLib.source_remove(source)


# ------------------------------------------------------------ control methods

@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ss', out_signature='s')
def AddAdapter(self, device_name, system_name):
    path = stock.AddAdapter(self, device_name, system_name)
    # the stock StopDiscovery keeps the RSSI; bluetoothd drops it
    mockobject.objects[path].AddMethods(ADAPTER_IFACE, [('StopDiscovery', '', '', _stop_discovery)])
    return path


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='sssb', out_signature='s')
def AddSensor(self, adapter, address, name, paired):
    adapter_path = '/org/bluez/' + adapter
    if adapter_path not in mockobject.objects:
        raise dbus.exceptions.DBusException(f'No adapter {adapter}',
                                            name=BLUEZ_MOCK_IFACE + '.NoSuchAdapter')
    path = _device_path(adapter, address)
    props = {
        'Address': dbus.String(address, variant_level=1),
        'AddressType': dbus.String('random', variant_level=1),
        'Name': dbus.String(name, variant_level=1),
        'Alias': dbus.String(name, variant_level=1),
        'Adapter': dbus.ObjectPath(adapter_path, variant_level=1),
        'Paired': _boolean(paired),
        'Bonded': _boolean(paired),
        'Trusted': _boolean(False),
        'Blocked': _boolean(False),
        'LegacyPairing': _boolean(False),
        'Connected': _boolean(False),
        'ServicesResolved': _boolean(False),
        'WakeAllowed': _boolean(False),
        'UUIDs': dbus.Array([UART_SERVICE], signature='s', variant_level=1),
        'ManufacturerData': dbus.Dictionary({}, signature='qv', variant_level=1),
        'ServiceData': dbus.Dictionary({}, signature='sv', variant_level=1),
        'AdvertisingFlags': _bytes(b'\x06', 1),
        'AdvertisingData': dbus.Dictionary({}, signature='yv', variant_level=1),
    }
    self.AddObject(path, DEVICE_IFACE, props, [
        ('Connect', '', '', _connect),
        ('Disconnect', '', '', ''),
        ('Pair', '', '', ''),
        ('CancelPairing', '', '', ''),
    ])
    device = mockobject.objects[path]
    # Answered asynchronously, which a method added through the mock
    # interface cannot be.
    device.methods[DEVICE_IFACE]['Disconnect'] = ('', '', '', _disconnect)
    device.disconnect_delay_ms = 0
    device.disconnect_held = False
    device.disconnect_replies = []
    device.writes = []
    device.reply = b''
    device.att_mtu = 247
    device.connect_mode = 'normal'
    device.uart = True
    device.write_flags = ['write-without-response', 'write']
    self.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), {DEVICE_IFACE: props}])
    return path


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='sb', out_signature='')
def SetPowered(_self, adapter, powered):
    _change(mockobject.objects['/org/bluez/' + adapter], ADAPTER_IFACE,
            {'Powered': _boolean(powered)})


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssqayn', out_signature='b')
def Advertise(_self, adapter, address, company_id, data, rssi):
    manufacturer = dbus.Dictionary({dbus.UInt16(company_id): _bytes(data, 1)},
                                   signature='qv', variant_level=1)
    return _heard(_device(adapter, address), {'ManufacturerData': manufacturer, 'RSSI': rssi})


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssqayni', out_signature='')
def AdvertiseEvery(self, adapter, address, company_id, data, rssi, interval_ms):
    device = _device(adapter, address)
    _stop_advertiser(device.path)
    if interval_ms <= 0:
        return
    payload = bytes(data)

    def tick():
        if device.path not in mockobject.objects:
            _advertisers.pop(device.path, None)
            return False
        Advertise(self, adapter, address, company_id, payload, rssi)
        return True
    _advertisers[device.path] = GLib.timeout_add(interval_ms, tick)


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='sss', out_signature='')
def SetName(_self, adapter, address, name):
    device = _device(adapter, address)
    _change(device, DEVICE_IFACE, {'Name': dbus.String(name, variant_level=1),
                                   'Alias': dbus.String(name, variant_level=1)})


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssb', out_signature='')
def SetPaired(_self, adapter, address, paired):
    _change(_device(adapter, address), DEVICE_IFACE,
            {'Paired': _boolean(paired), 'Bonded': _boolean(paired)})


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssqsbas', out_signature='')
def SetLink(_self, adapter, address, att_mtu, connect_mode, uart, write_flags):
    device = _device(adapter, address)
    device.att_mtu = int(att_mtu)
    device.connect_mode = str(connect_mode)
    device.uart = bool(uart)
    device.write_flags = [str(f) for f in write_flags]


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssay', out_signature='')
def SetReply(_self, adapter, address, data):
    _device(adapter, address).reply = bytes(data)


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssay', out_signature='')
def Notify(_self, adapter, address, data):
    device = _device(adapter, address)
    tx = mockobject.objects.get(_gatt_paths(device.path)['tx'])
    if tx is None or not tx.props[CHARACTERISTIC_IFACE]['Notifying']:
        raise _bluez_error('Failed', 'Notifications are not enabled')
    _notify(tx, bytes(data))


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ss', out_signature='')
def DropLink(_self, adapter, address):
    device = _device(adapter, address)
    if device.props[DEVICE_IFACE]['Connected']:
        _drop(device)


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssu', out_signature='')
def SetDisconnectDelay(_self, adapter, address, delay_ms):
    _device(adapter, address).disconnect_delay_ms = int(delay_ms)


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssb', out_signature='')
def HoldDisconnect(_self, adapter, address, held):
    device = _device(adapter, address)
    device.disconnect_held = bool(held)
    if not held and device.disconnect_replies:
        _complete_disconnect(device)


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ss', out_signature='a(ays)')
def GetWrites(_self, adapter, address):
    return dbus.Array([dbus.Struct((_bytes(value), dbus.String(kind)))
                       for value, kind in _device(adapter, address).writes],
                      signature='(ays)')


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ss', out_signature='b')
def GetNotifying(_self, adapter, address):
    tx = mockobject.objects.get(_gatt_paths(_device(adapter, address).path)['tx'])
    return dbus.Boolean(tx is not None and bool(tx.props[CHARACTERISTIC_IFACE]['Notifying']))


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='', out_signature='')
def ClearAll(self):
    for path in list(_advertisers):
        _stop_advertiser(path)
    for path in sorted((p for p in mockobject.objects if p.startswith('/org/bluez/')),
                       key=len, reverse=True):
        obj = mockobject.objects[path]
        if getattr(obj, 'disconnect_replies', None):
            replies, obj.disconnect_replies = obj.disconnect_replies, []
            for answer in replies:  # a held disconnect is not left hanging
                answer()
        interface = next(iter(obj.props))
        _withdraw(path, interface)


def load(mock, parameters):
    for path in list(_advertisers):
        _stop_advertiser(path)
    stock.load(mock, parameters)
