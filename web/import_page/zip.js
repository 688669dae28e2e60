// A zip archive's files, read in the browser: readZip(bytes, largest)
// resolves to [{path, bytes}] for every file of the archive (folders left
// out), or rejects with an Error whose message says in a few words what is
// wrong; when the files would come to more than largest bytes unpacked,
// before any is unpacked, with an Error whose unpackedSize is their sum.
//
// The archive is read from its central directory (found from the end
// record), each file from its local header: stored (method 0) and deflated
// (method 8, inflated by the browser's DecompressionStream('deflate-raw'))
// files, each checked against the directory's size and CRC-32. Not read:
// zip64 archives, encrypted files, other methods, archives split in parts.
'use strict';

var readZip = (function() {
  var EndRecord = 0x06054b50, DirectoryEntry = 0x02014b50, LocalHeader = 0x04034b50;
  var EndRecordSize = 22, LongestComment = 0xffff;

  var crcTable = null;
  function crc32(bytes) {
    if (!crcTable) {
      crcTable = new Uint32Array(256);
      for (var n = 0; n < 256; ++n) {
        var c = n;
        for (var k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        crcTable[n] = c;
      }
    }
    var crc = 0xffffffff;
    for (var i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
    return (crc ^ 0xffffffff) >>> 0;
  }

  function fail(text) {
    throw new Error(text);
  }

  function findEndRecord(view) {
    var last = view.byteLength - EndRecordSize;
    var first = Math.max(0, last - LongestComment);
    for (var at = last; at >= first; --at)
      if (view.getUint32(at, true) === EndRecord) return at;
    return fail(view.byteLength < EndRecordSize ? 'it is too short to be a zip file'
                                                : 'it is not a zip file, or one cut short (it has no end record)');
  }

  function inflate(bytes) {
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return new Response(stream).arrayBuffer().then(function(buffer) { return new Uint8Array(buffer); });
  }

  // The directory's entries: {path, method, flags, crc, packedSize, size, offset}.
  function directory(bytes) {
    var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    var end = findEndRecord(view);
    if (view.getUint16(end + 4, true) !== 0 || view.getUint16(end + 6, true) !== 0)
      fail('it is one part of a zip split in several, which this page does not read');
    var count = view.getUint16(end + 10, true);
    var size = view.getUint32(end + 12, true), at = view.getUint32(end + 16, true);
    if (count === 0xffff || size === 0xffffffff || at === 0xffffffff)
      fail('it is a zip64 archive, which this page does not read');
    if (at + size > end) fail('its directory lies outside it (the zip is truncated or damaged)');
    var names = new TextDecoder('utf-8');
    var entries = [];
    for (var i = 0; i < count; ++i) {
      if (at + 46 > end || view.getUint32(at, true) !== DirectoryEntry)
        fail('its directory is damaged at entry ' + (i + 1));
      var nameLength = view.getUint16(at + 28, true);
      var next = at + 46 + nameLength + view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
      if (next > end) fail('its directory is damaged at entry ' + (i + 1));
      entries.push({
        path: names.decode(bytes.subarray(at + 46, at + 46 + nameLength)).replace(/\\/g, '/'),
        flags: view.getUint16(at + 8, true),
        method: view.getUint16(at + 10, true),
        crc: view.getUint32(at + 16, true),
        packedSize: view.getUint32(at + 20, true),
        size: view.getUint32(at + 24, true),
        offset: view.getUint32(at + 42, true),
      });
      at = next;
    }
    return entries;
  }

  function readEntry(bytes, entry) {
    var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    var at = entry.offset;
    if (entry.flags & 1) fail(entry.path + ' is encrypted');
    if (entry.method !== 0 && entry.method !== 8)
      fail(entry.path + ' is compressed by a method this page does not read (' + entry.method + ')');
    if (entry.packedSize === 0xffffffff || entry.size === 0xffffffff)
      fail('it is a zip64 archive, which this page does not read');
    if (at + 30 > bytes.length || view.getUint32(at, true) !== LocalHeader)
      fail(entry.path + ' is missing from it (the zip is truncated or damaged)');
    var start = at + 30 + view.getUint16(at + 26, true) + view.getUint16(at + 28, true);
    if (start + entry.packedSize > bytes.length)
      fail(entry.path + ' is cut short (the zip is truncated)');
    var packed = bytes.subarray(start, start + entry.packedSize);
    var unpacked = entry.method === 0 ? Promise.resolve(packed) : inflate(packed);
    return unpacked.then(function(data) {
      if (data.length !== entry.size || crc32(data) !== entry.crc)
        fail(entry.path + ' is damaged (its size or checksum is wrong)');
      return {path: entry.path, bytes: data};
    }, function() {
      fail(entry.path + ' is damaged (its compressed data does not inflate)');
    });
  }

  function safePath(path) {
    var parts = path.split('/');
    return path !== '' && path[0] !== '/' && !/^[A-Za-z]:/.test(path) &&
        parts.indexOf('..') < 0 && parts.indexOf('') < 0;
  }

  return function readZip(bytes, largest) {
    return Promise.resolve().then(function() {
      var files = directory(bytes).filter(function(entry) { return !entry.path.endsWith('/'); });
      files.forEach(function(entry) {
        if (!safePath(entry.path)) fail('it names a file outside it: ' + entry.path);
      });
      var unpackedSize = files.reduce(function(sum, entry) { return sum + entry.size; }, 0);
      if (unpackedSize > largest) {
        var error = new Error('its files come to ' + unpackedSize + ' bytes unpacked');
        error.unpackedSize = unpackedSize;
        throw error;
      }
      return Promise.all(files.map(function(entry) { return readEntry(bytes, entry); }));
    });
  };
})();

if (typeof module === 'object') module.exports = readZip;
