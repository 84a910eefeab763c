#pragma once

namespace Netrove {

// The names WS-Discovery messages are written with. Cameras answer the 2005/04 version of
// WS-Discovery, with WS-Addressing of 2004/08, in SOAP 1.2; a few answer in the 2009/01 version.
inline constexpr char kSoap12Namespace[] = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr char kAddressingNamespace[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr char kAddressing2005Namespace[] = "http://www.w3.org/2005/08/addressing";
inline constexpr char kDiscoveryNamespace[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
inline constexpr char kDiscovery2009Namespace[] = "http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01";
inline constexpr char kDiscoveryTo[] = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
inline constexpr char kDiscoveryActions[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/";
inline constexpr char kDiscovery2009Actions[] = "http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01/";
inline constexpr char kOnvifNetworkNamespace[] = "http://www.onvif.org/ver10/network/wsdl";
inline constexpr char kOnvifDeviceNamespace[] = "http://www.onvif.org/ver10/device/wsdl";
// Every ONVIF namespace and every ONVIF scope begins so.
inline constexpr char kOnvifNamespacePrefix[] = "http://www.onvif.org/";
inline constexpr char kOnvifScopePrefix[] = "onvif://www.onvif.org/";

} // namespace Netrove
