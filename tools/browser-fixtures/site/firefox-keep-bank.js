// Run in Firefox's chrome context (the body of an async function): keep-bank's bookmark and login.
const {PlacesUtils} = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
await PlacesUtils.bookmarks.insert({parentGuid: PlacesUtils.bookmarks.toolbarGuid,
                                    url: "http://keep-bank.test/", title: "Keep Bank"});
const login = Cc["@mozilla.org/login-manager/loginInfo;1"].createInstance(Ci.nsILoginInfo);
login.init("http://keep-bank.test", "http://keep-bank.test", null, "bank-user", "keep-bank-password",
           "user", "pass");
await Services.logins.addLoginAsync(login);
return "bookmark and login added";
